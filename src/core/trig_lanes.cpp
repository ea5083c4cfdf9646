#include "trig_lanes.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#if defined(__x86_64__) && defined(__GLIBC__) && (defined(__GNUC__) || defined(__clang__))
#define LITTORAL_TRIG_LANES_X86 1
#include <immintrin.h>

// libmvec's functions of 8 (AVX-512) and 4 (AVX2) doubles, which take and give them in vector
// registers.
#define LITTORAL_MVEC_AVX512 __attribute__((target("avx512f")))
#define LITTORAL_MVEC_AVX2 __attribute__((target("avx2,fma")))
extern "C" {
LITTORAL_MVEC_AVX512 __m512d _ZGVeN8v_sin(__m512d);
LITTORAL_MVEC_AVX512 __m512d _ZGVeN8v_cos(__m512d);
LITTORAL_MVEC_AVX512 __m512d _ZGVeN8v_atan(__m512d);
LITTORAL_MVEC_AVX2 __m256d _ZGVdN4v_sin(__m256d);
LITTORAL_MVEC_AVX2 __m256d _ZGVdN4v_cos(__m256d);
LITTORAL_MVEC_AVX2 __m256d _ZGVdN4v_atan(__m256d);
}
#endif

namespace littoral {

bool inTrigLaneRange(Trig function, double x) {
  const double size = std::fabs(x);
  const double largest =
      function == Trig::atan ? kLargestAtanLaneArgument : kLargestSineLaneArgument;
  return size >= kSmallestTrigLaneArgument && size <= largest;
}

namespace {

#ifdef LITTORAL_TRIG_LANES_X86

LITTORAL_MVEC_AVX512 void valuesOfEight(Trig function, const double* x, double* y) {
  const __m512d in = _mm512_loadu_pd(x);
  switch (function) {
    case Trig::sin:
      _mm512_storeu_pd(y, _ZGVeN8v_sin(in));
      return;
    case Trig::cos:
      _mm512_storeu_pd(y, _ZGVeN8v_cos(in));
      return;
    case Trig::atan:
      _mm512_storeu_pd(y, _ZGVeN8v_atan(in));
      return;
  }
}

LITTORAL_MVEC_AVX2 void valuesOfFour(Trig function, const double* x, double* y) {
  const __m256d in = _mm256_loadu_pd(x);
  switch (function) {
    case Trig::sin:
      _mm256_storeu_pd(y, _ZGVdN4v_sin(in));
      return;
    case Trig::cos:
      _mm256_storeu_pd(y, _ZGVdN4v_cos(in));
      return;
    case Trig::atan:
      _mm256_storeu_pd(y, _ZGVdN4v_atan(in));
      return;
  }
}

#endif  // LITTORAL_TRIG_LANES_X86

// The vector values of the way for x[0] to x[count - 1], the last call padded with a harmless
// argument.
void vectorValues(TrigLanes way, Trig function, const double* x, double* y, std::size_t count) {
#ifdef LITTORAL_TRIG_LANES_X86
  const std::size_t width = way == TrigLanes::avx512 ? 8 : 4;
  const auto values = way == TrigLanes::avx512 ? valuesOfEight : valuesOfFour;
  std::size_t i = 0;
  for (; i + width <= count; i += width) values(function, x + i, y + i);
  if (i == count) return;
  double in[8];
  double out[8];
  for (std::size_t lane = 0; lane < width; ++lane) in[lane] = i + lane < count ? x[i + lane] : 0.5;
  values(function, in, out);
  for (std::size_t lane = 0; i + lane < count; ++lane) y[i + lane] = out[lane];
#else
  (void)way, (void)function, (void)x, (void)y, (void)count;
#endif
}

// Arguments over each function's range, by size on a logarithmic spread and of both signs, where
// a way's bounds must hold the library's values before it is used.
std::vector<double> checkArguments(Trig function) {
  std::vector<double> arguments;
  const double largest =
      function == Trig::atan ? kLargestAtanLaneArgument : kLargestSineLaneArgument;
  const double ratio = std::pow(largest / kSmallestTrigLaneArgument, 1.0 / 4999);
  for (double size = kSmallestTrigLaneArgument; size <= largest; size *= ratio) {
    arguments.push_back(size);
    arguments.push_back(-size);
  }
  return arguments;
}

// Whether the way's bounds hold the library's value on every check argument.
bool holdsLibraryValues(TrigLanes way) {
  for (const Trig function : {Trig::sin, Trig::cos, Trig::atan}) {
    const std::vector<double> x = checkArguments(function);
    std::vector<double> values(x.size());
    trigLaneValues(way, function, x.data(), values.data(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (!boundsAroundLaneValue(values[i]).hold(checkedTrig(function, x[i]))) return false;
    }
  }
  return true;
}

}  // namespace

bool runsTrigLanes(TrigLanes way) {
  switch (way) {
    case TrigLanes::none:
      return true;
#ifdef LITTORAL_TRIG_LANES_X86
    case TrigLanes::avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case TrigLanes::avx512:
      return __builtin_cpu_supports("avx512f");
#endif
    default:
      return false;
  }
}

TrigLanes bestTrigLanes() {
  static const TrigLanes best = [] {
    for (const TrigLanes way : {TrigLanes::avx512, TrigLanes::avx2}) {
      if (runsTrigLanes(way) && holdsLibraryValues(way)) return way;
    }
    return TrigLanes::none;
  }();
  return best;
}

void trigLaneValues(TrigLanes way, Trig function, const double* x, double* values,
                    std::size_t count) {
  if (way != TrigLanes::none) vectorValues(way, function, x, values, count);
  for (std::size_t i = 0; i < count; ++i) {
    if (way == TrigLanes::none || !inTrigLaneRange(function, x[i])) {
      values[i] = std::numeric_limits<double>::quiet_NaN();
    }
  }
}

}  // namespace littoral
