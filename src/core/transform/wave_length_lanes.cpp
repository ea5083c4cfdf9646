#include "wave_length_lanes.hpp"

#include <bit>
#include <cmath>

#include "exp_kernels.hpp"
#include "numerics.hpp"

namespace littoral {
namespace {

constexpr double kSmallestKd = 0x1p-54;  // exp's main path starts here
constexpr double kLargestKd = 354;       // twice this is within kSafeExpArgument

RoundLanes passRoundScalar(PassRound& round) {
  RoundLanes lanes;
  for (std::size_t lane = 0; lane < PassRound::kWidth; ++lane) {
    const double start = double(round.startLength[lane]);
    float kd = toSingle(double(round.twoPiDepth[lane]) / start);
    limitTo(kd, round.twoPi[lane]);
    const double size = std::fabs(double(kd));
    if (!(size >= kSmallestKd && size <= kLargestKd)) continue;
    lanes.computed |= 1u << lane;
    const double tanhKd = tanhFromExps(std::exp(double(kd)), std::exp(-double(kd)));
    double lengthTerm = double(round.lo[lane]) * tanhKd;
    if ((round.localUse >> lane) & 1) lengthTerm = double(toSingle(lengthTerm));
    round.tanhKd[lane] = tanhKd;
    round.lengthTerm[lane] = lengthTerm;
    round.endLength[lane] = toSingle((start + lengthTerm) * 0.5);
    const bool last = ++round.passes[lane] == kWaveLengthPasses ||
                      std::bit_cast<std::uint32_t>(round.endLength[lane]) ==
                          std::bit_cast<std::uint32_t>(round.startLength[lane]);
    if (last) {
      lanes.ended |= 1u << lane;
    } else {
      round.startLength[lane] = round.endLength[lane];
    }
  }
  return lanes;
}

#ifdef LITTORAL_EXP_LANES_X86

using exp_kernels::expOfLanes;

// Counts the pass of the computed lanes among the four from `first` and moves on those whose
// pass was not the last; returns those whose pass was, a bit each.
LITTORAL_AVX2 std::uint32_t moveFourLanesOn(PassRound& round, std::size_t first,
                                            std::uint32_t computed, __m128 endLength) {
  const __m128i laneBits = _mm_set_epi32(8, 4, 2, 1);
  const __m128i counted =
      _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(std::int32_t(computed)), laneBits), laneBits);
  auto* passesAt = reinterpret_cast<__m128i*>(&round.passes[first]);
  const __m128i passes = _mm_sub_epi32(_mm_load_si128(passesAt), counted);
  _mm_store_si128(passesAt, passes);
  const __m128 start = _mm_load_ps(&round.startLength[first]);
  const __m128i fixed = _mm_cmpeq_epi32(_mm_castps_si128(endLength), _mm_castps_si128(start));
  const __m128i last =
      _mm_or_si128(fixed, _mm_cmpeq_epi32(passes, _mm_set1_epi32(kWaveLengthPasses)));
  const __m128i ended = _mm_and_si128(counted, last);
  const __m128i onward = _mm_andnot_si128(last, counted);
  _mm_store_ps(&round.startLength[first],
               _mm_blendv_ps(start, endLength, _mm_castsi128_ps(onward)));
  return std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(ended)));
}

LITTORAL_AVX2 std::uint32_t moveLanesOn(PassRound& round, std::size_t first, std::uint32_t computed,
                                        __m256 endLength) {
  const std::uint32_t low =
      moveFourLanesOn(round, first, computed & 0xf, _mm256_castps256_ps128(endLength));
  const std::uint32_t high =
      moveFourLanesOn(round, first + 4, computed >> 4, _mm256_extractf128_ps(endLength, 1));
  return low | (high << 4);
}

// Each step below is the scalar kernel's operation in the same order on all lanes: the same
// divisions, conversions to single and back, comparisons and exps (exp_kernels).
LITTORAL_AVX512_CODE_BEGIN
LITTORAL_AVX512 RoundLanes passRoundAvx512(PassRound& round) {
  // The round's four vectors of eight, each step taken for all four before the next.
  constexpr std::size_t kVectors = PassRound::kWidth / 8;
  __m512d start[kVectors];
  __m512d kd[kVectors];
  __mmask8 inRange[kVectors];
  __m512d arguments[2 * kVectors];  // kd, then -kd, of each vector
  for (std::size_t v = 0; v < kVectors; ++v) {
    const std::size_t first = 8 * v;
    start[v] = _mm512_cvtps_pd(_mm256_load_ps(&round.startLength[first]));
    const __m512d depth = _mm512_cvtps_pd(_mm256_load_ps(&round.twoPiDepth[first]));
    const __m256 twoPi = _mm256_load_ps(&round.twoPi[first]);
    __m256 kdSingle = _mm512_cvtpd_ps(_mm512_div_pd(depth, start[v]));
    kdSingle = _mm256_blendv_ps(kdSingle, twoPi, _mm256_cmp_ps(kdSingle, twoPi, _CMP_GT_OQ));
    kd[v] = _mm512_cvtps_pd(kdSingle);
    const __m512d size = _mm512_abs_pd(kd[v]);
    inRange[v] = _mm512_cmp_pd_mask(size, _mm512_set1_pd(kSmallestKd), _CMP_GE_OQ) &
                 _mm512_cmp_pd_mask(size, _mm512_set1_pd(kLargestKd), _CMP_LE_OQ);
    arguments[v] = kd[v];
    arguments[kVectors + v] = _mm512_castsi512_pd(
        _mm512_xor_si512(_mm512_castpd_si512(kd[v]), _mm512_set1_epi64(INT64_MIN)));
  }
  __m512d exps[2 * kVectors];
  __mmask8 main[2 * kVectors];
  expOfLanes(arguments, exps, main);
  RoundLanes lanes;
  for (std::size_t v = 0; v < kVectors; ++v) {
    const std::size_t first = 8 * v;
    const __m512d e1 = _mm512_cvtps_pd(_mm512_cvtpd_ps(exps[v]));
    const __m512d e2 = exps[kVectors + v];
    const __m512d tanhKd = _mm512_div_pd(_mm512_sub_pd(e1, e2), _mm512_add_pd(e1, e2));
    __m512d term = _mm512_mul_pd(_mm512_cvtps_pd(_mm256_load_ps(&round.lo[first])), tanhKd);
    term = _mm512_mask_mov_pd(term, __mmask8(round.localUse >> first),
                              _mm512_cvtps_pd(_mm512_cvtpd_ps(term)));
    const __m512d end = _mm512_mul_pd(_mm512_add_pd(start[v], term), _mm512_set1_pd(0.5));
    const __m256 endSingle = _mm512_cvtpd_ps(end);
    _mm256_store_ps(&round.endLength[first], endSingle);
    _mm512_store_pd(&round.tanhKd[first], tanhKd);
    _mm512_store_pd(&round.lengthTerm[first], term);
    const std::uint32_t ended = moveLanesOn(round, first, inRange[v], endSingle);
    lanes.computed |= std::uint32_t(inRange[v]) << first;
    lanes.ended |= ended << first;
  }
  return lanes;
}
LITTORAL_AVX512_CODE_END

LITTORAL_AVX2 RoundLanes passRoundAvx2(PassRound& round) {
  RoundLanes lanes;
  const __m256i laneBits = _mm256_set_epi64x(8, 4, 2, 1);
  for (std::size_t first = 0; first < PassRound::kWidth; first += 4) {
    const __m256d start = _mm256_cvtps_pd(_mm_load_ps(&round.startLength[first]));
    const __m256d depth = _mm256_cvtps_pd(_mm_load_ps(&round.twoPiDepth[first]));
    const __m128 twoPi = _mm_load_ps(&round.twoPi[first]);
    __m128 kdSingle = _mm256_cvtpd_ps(_mm256_div_pd(depth, start));
    kdSingle = _mm_blendv_ps(kdSingle, twoPi, _mm_cmp_ps(kdSingle, twoPi, _CMP_GT_OQ));
    const __m256d kd = _mm256_cvtps_pd(kdSingle);
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d size = _mm256_andnot_pd(sign, kd);
    const __m256d inRange =
        _mm256_and_pd(_mm256_cmp_pd(size, _mm256_set1_pd(kSmallestKd), _CMP_GE_OQ),
                      _mm256_cmp_pd(size, _mm256_set1_pd(kLargestKd), _CMP_LE_OQ));
    const auto computed = std::uint32_t(_mm256_movemask_pd(inRange));
    __m256i main;
    const __m256d e1 = _mm256_cvtps_pd(_mm256_cvtpd_ps(expOfLanes(kd, main)));
    const __m256d e2 = expOfLanes(_mm256_xor_pd(kd, sign), main);
    const __m256d tanhKd = _mm256_div_pd(_mm256_sub_pd(e1, e2), _mm256_add_pd(e1, e2));
    __m256d term = _mm256_mul_pd(_mm256_cvtps_pd(_mm_load_ps(&round.lo[first])), tanhKd);
    const __m256i localBits =
        _mm256_and_si256(_mm256_set1_epi64x(std::int64_t(round.localUse >> first) & 0xf), laneBits);
    const __m256d local = _mm256_castsi256_pd(_mm256_cmpeq_epi64(localBits, laneBits));
    term = _mm256_blendv_pd(term, _mm256_cvtps_pd(_mm256_cvtpd_ps(term)), local);
    const __m256d end = _mm256_mul_pd(_mm256_add_pd(start, term), _mm256_set1_pd(0.5));
    const __m128 endSingle = _mm256_cvtpd_ps(end);
    _mm_store_ps(&round.endLength[first], endSingle);
    _mm256_store_pd(&round.tanhKd[first], tanhKd);
    _mm256_store_pd(&round.lengthTerm[first], term);
    lanes.computed |= computed << first;
    lanes.ended |= moveFourLanesOn(round, first, computed, endSingle) << first;
  }
  return lanes;
}

#endif  // LITTORAL_EXP_LANES_X86

}  // namespace

PassRoundKernel passRoundKernel(ExpLanes way) {
  switch (way) {
#ifdef LITTORAL_EXP_LANES_X86
    case ExpLanes::avx512:
      return passRoundAvx512;
    case ExpLanes::avx2:
      return passRoundAvx2;
#endif
    default:
      return passRoundScalar;
  }
}

}  // namespace littoral
