#include "exp_lanes.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "exp_kernels.hpp"

namespace littoral {
namespace {

std::size_t expEachScalar(const double* x, double* y, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) y[i] = std::exp(x[i]);
  return count;
}

#ifdef LITTORAL_EXP_LANES_X86

using namespace exp_kernels;

// One step of a vector way: the lanes on the main path from the kernel, the others from
// std::exp. Returns the count of those.
LITTORAL_AVX512_CODE_BEGIN
LITTORAL_AVX512 std::size_t expEightLanes(const double* x, double* y) {
  __mmask8 main = 0;
  _mm512_storeu_pd(y, exp_kernels::expOfLanes(_mm512_loadu_pd(x), main));
  const unsigned left = ~unsigned(main) & 0xffu;
  for (unsigned rest = left; rest != 0; rest &= rest - 1) {
    const int lane = std::countr_zero(rest);
    y[lane] = std::exp(x[lane]);
  }
  return std::size_t(std::popcount(left));
}

LITTORAL_AVX512_CODE_END

LITTORAL_AVX2 std::size_t expFourLanes(const double* x, double* y) {
  __m256i main;
  _mm256_storeu_pd(y, exp_kernels::expOfLanes(_mm256_loadu_pd(x), main));
  const unsigned inMain = unsigned(_mm256_movemask_pd(_mm256_castsi256_pd(main)));
  const unsigned left = ~inMain & 0xfu;
  for (unsigned rest = left; rest != 0; rest &= rest - 1) {
    const int lane = std::countr_zero(rest);
    y[lane] = std::exp(x[lane]);
  }
  return std::size_t(std::popcount(left));
}

// Runs a way of `width` lanes over count arguments, the last few through a step padded with
// arguments of its main path. Returns the count left to std::exp.
template <std::size_t width, class Step>
std::size_t expEachByLanes(Step step, const double* x, double* y, std::size_t count) {
  std::size_t left = 0;
  std::size_t i = 0;
  for (; i + width <= count; i += width) left += step(x + i, y + i);
  if (i == count) return left;
  double in[width];
  double out[width];
  for (std::size_t lane = 0; lane < width; ++lane) in[lane] = i + lane < count ? x[i + lane] : 1;
  left += step(in, out);
  for (std::size_t lane = 0; i + lane < count; ++lane) y[i + lane] = out[lane];
  return left;
}

// glibc takes its FMA exp where the processor has FMA and AVX2, as the ways do.
bool hasFmaAndAvx2() { return __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx2"); }

#endif  // LITTORAL_EXP_LANES_X86

// The arguments on which a way must give std::exp's bits before it is used: every entry of the
// table at several points of the polynomial's range, spread over the main path's exponents, its
// two ends, and a spread of arguments over the whole range of doubles that exp takes. glibc's
// exp without fused multiply-adds differs from the fused one on about one argument in 1,500,
// so these 36,000 arguments tell them apart.
std::vector<double> checkArguments() {
  std::vector<double> arguments;
  const double step = std::log(2.0) / 128;
  for (int k = -128 * 8; k < 128 * 8; k += 1) {
    for (const double within : {-0.5, -0.26, 0.0, 0.13, 0.49}) {
      arguments.push_back((k + within) * step);
      arguments.push_back((k * 91 + within) * step);
    }
  }
  for (const double end :
       {0x1p-54, 512.0, 709.782712893384, -708.39641853226, -745.1332191019411}) {
    for (const double size : {end, std::nextafter(end, 0.0), std::nextafter(end, 2 * end)}) {
      arguments.push_back(size);
      arguments.push_back(-size);
    }
  }
  std::uint64_t state = 0x9e3779b97f4a7c15u;
  for (int i = 0; i < 8192; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    arguments.push_back(double(std::int64_t(state >> 11) - (std::int64_t(1) << 52)) * 0x1p-43);
    arguments.push_back(double(state >> 11) * 0x1p-53 * 20 - 10);
  }
  arguments.push_back(0.0);
  arguments.push_back(-0.0);
  arguments.push_back(std::numeric_limits<double>::infinity());
  arguments.push_back(-std::numeric_limits<double>::infinity());
  arguments.push_back(std::numeric_limits<double>::quiet_NaN());
  return arguments;
}

// Whether `work`, which fills results from the check arguments, gives std::exp's bits on each
// (a NaN for a NaN).
template <class Work>
bool agreesWithLibrary(Work work) {
  const std::vector<double> arguments = checkArguments();
  std::vector<double> results(arguments.size());
  work(arguments, results);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const double expected = std::exp(arguments[i]);
    if (std::bit_cast<std::uint64_t>(results[i]) != std::bit_cast<std::uint64_t>(expected) &&
        !(std::isnan(results[i]) && std::isnan(expected))) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool runsExpLanes(ExpLanes way) {
  switch (way) {
    case ExpLanes::scalar:
      return true;
#ifdef LITTORAL_EXP_LANES_X86
    case ExpLanes::avx2:
      return hasFmaAndAvx2();
    case ExpLanes::avx512:
      return hasFmaAndAvx2() && __builtin_cpu_supports("avx512f");
#endif
    default:
      return false;
  }
}

ExpLanes bestExpLanes() {
  static const ExpLanes best = [] {
    for (const ExpLanes way : {ExpLanes::avx512, ExpLanes::avx2}) {
      const auto byWay = [way](const std::vector<double>& x, std::vector<double>& y) {
        expEach(way, x.data(), y.data(), x.size());
      };
      if (runsExpLanes(way) && agreesWithLibrary(byWay)) return way;
    }
    return ExpLanes::scalar;
  }();
  return best;
}

std::size_t expEach(ExpLanes way, const double* x, double* y, std::size_t count) {
  switch (way) {
#ifdef LITTORAL_EXP_LANES_X86
    case ExpLanes::avx512:
      return expEachByLanes<8>(expEightLanes, x, y, count);
    case ExpLanes::avx2:
      return expEachByLanes<4>(expFourLanes, x, y, count);
#endif
    default:
      return expEachScalar(x, y, count);
  }
}

void expEach(const double* x, double* y, std::size_t count) {
  expEach(bestExpLanes(), x, y, count);
}

namespace {

double expOfLibrary(double x) { return std::exp(x); }

#ifdef LITTORAL_EXP_LANES_X86
LITTORAL_FMA double expOfMainPath(double x) {
  double result = 0;
  return exp_kernels::expOnMainPath(x, result) ? result : std::exp(x);
}
#endif

// The lane's steps where a vector way has given std::exp's bits here (their fused multiply-adds
// are the same), and they give them too on the same arguments.
exp_detail::ExpOfOne chooseExpOfOne() {
#ifdef LITTORAL_EXP_LANES_X86
  const auto oneByOne = [](const std::vector<double>& x, std::vector<double>& y) {
    std::transform(x.begin(), x.end(), y.begin(), expOfMainPath);
  };
  if (bestExpLanes() != ExpLanes::scalar && agreesWithLibrary(oneByOne)) return expOfMainPath;
#endif
  return expOfLibrary;
}

}  // namespace

namespace exp_detail {

std::atomic<ExpOfOne> chosenExpOfOne{nullptr};

double expOfFirst(double x) {
  const ExpOfOne exp = chooseExpOfOne();
  chosenExpOfOne.store(exp, std::memory_order_relaxed);
  return exp(x);
}

}  // namespace exp_detail

bool expOfTakesLaneSteps() {
  expOf(1);
  return exp_detail::chosenExpOfOne.load(std::memory_order_relaxed) != expOfLibrary;
}

}  // namespace littoral
