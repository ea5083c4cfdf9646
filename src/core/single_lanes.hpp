#pragma once

// The stages' arithmetic on eight storms at once with AVX-512, for the kernels that take a
// step of many storms side by side (growth_lanes, transport_lanes): each lane holds a storm's
// double, stores round it to single as toSingle does, and a store worked at both ends of a
// margin is sure where both ends give one single. Only where LITTORAL_EXP_LANES_X86 is defined;
// a function here may only run where runsExpLanes(ExpLanes::avx512) is true.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "exp_kernels.hpp"
#include "exp_lanes.hpp"
#include "numerics.hpp"
#include "power_kernels.hpp"

namespace littoral {

// Whether the steps of eight storms at once run here: where the exp way chosen is AVX-512's.
inline bool runsStormLanes() { return bestExpLanes() == ExpLanes::avx512; }

}  // namespace littoral

#ifdef LITTORAL_EXP_LANES_X86

namespace littoral::single_lanes {

inline constexpr std::size_t kWidth = 8;

// A value of each lane, as a single or as a double.
using Singles = std::array<float, kWidth>;
using Doubles = std::array<double, kWidth>;

LITTORAL_AVX512_CODE_BEGIN

LITTORAL_AVX512 inline __m512d widen(const float* singles) {
  return _mm512_cvtps_pd(_mm256_loadu_ps(singles));
}

LITTORAL_AVX512 inline __m512d roundToSingle(__m512d value) {
  return _mm512_cvtps_pd(_mm512_cvtpd_ps(value));
}

// -x in each lane: its sign turned, as a double's minus turns it.
LITTORAL_AVX512 inline __m512d negate(__m512d x) {
  return _mm512_castsi512_pd(
      _mm512_xor_si512(_mm512_castpd_si512(x), _mm512_set1_epi64(INT64_MIN)));
}

// A store that rounds each lane to single, as a function object.
struct Rounded {
  LITTORAL_AVX512 __m512d operator()(__m512d value) const { return roundToSingle(value); }
};

// Rounds each lane to single and stores it; returns the stored singles as doubles.
LITTORAL_AVX512 inline __m512d store(__m512d value, Singles& singles) {
  const __m256 single = _mm512_cvtpd_ps(value);
  _mm256_storeu_ps(singles.data(), single);
  return _mm512_cvtps_pd(single);
}

LITTORAL_AVX512 inline __m512d times(__m512d value, double factor) {
  return _mm512_mul_pd(value, _mm512_set1_pd(factor));
}

// The lanes that hold a single (as a double) above zero and finite: the bases whose powers
// from square roots have bounds (storeRootPower).
LITTORAL_AVX512 inline __mmask8 positiveAndFinite(__m512d single) {
  return _mm512_cmp_pd_mask(single, _mm512_setzero_pd(), _CMP_GT_OQ) &
         _mm512_cmp_pd_mask(single, _mm512_set1_pd(double(std::numeric_limits<float>::max())),
                            _CMP_LE_OQ);
}

// The lanes that hold no NaN and nothing below zero: square roots that do not fail.
LITTORAL_AVX512 inline __mmask8 notNegative(__m512d value) {
  return _mm512_cmp_pd_mask(value, _mm512_setzero_pd(), _CMP_GE_OQ);
}

// storedAtBothBounds for each lane: the single that `store` (a function of a vector, rounding to
// single) gives at high; the lanes where it gives another single at low, or a NaN, leave `sure`.
template <class Store>
LITTORAL_AVX512 inline __m512d storeAtBothEnds(__m512d low, __m512d high, Store store,
                                               __mmask8& sure) {
  const __m512d atLow = store(low);
  const __m512d atHigh = store(high);
  sure &= _mm512_cmpeq_epi64_mask(_mm512_castpd_si512(atLow), _mm512_castpd_si512(atHigh)) &
          _mm512_cmp_pd_mask(atHigh, atHigh, _CMP_ORD_Q);
  return atHigh;
}

// storeRootPower for each lane, from the power's estimate (boundRootPower's), for a base that is
// positive and finite; the other lanes leave `sure`.
template <class Store>
LITTORAL_AVX512 inline __m512d storeRootPowerOfLanes(__m512d base, __m512d estimate, Store store,
                                                     __mmask8& sure) {
  sure &= positiveAndFinite(base);
  return storeAtBothEnds(times(estimate, 1 - kRootPowerMargin),
                         times(estimate, 1 + kRootPowerMargin), store, sure);
}

// storeTrig for each lane, from the vector values asked (NaN where there is none, which leaves
// `sure`).
template <class Store>
LITTORAL_AVX512 inline __m512d storeTrigOfLanes(const Doubles& laneValues, Store store,
                                                __mmask8& sure) {
  const __m512d value = _mm512_loadu_pd(laneValues.data());
  sure &= _mm512_cmp_pd_mask(value, value, _CMP_ORD_Q);
  const __m512d margin = times(_mm512_abs_pd(value), kTrigLaneMargin);
  return storeAtBothEnds(_mm512_sub_pd(value, margin), _mm512_add_pd(value, margin), store, sure);
}

// The margin either side of the lanes' pow (power_kernels.hpp), relative to it: the lanes' pow
// is within 2^-51 of the library's.
inline constexpr double kPowerLaneMargin = 0x1p-46;

// store(realPower(base, exponent) * factor) for each lane, from the lanes' own pow: the lanes off
// its main path, or whose product stores another single at one end of its margin, leave `sure`.
template <class Store>
LITTORAL_AVX512 inline __m512d storePowerProductOfLanes(__m512d base, double exponent,
                                                        __m512d factor, Store store,
                                                        __mmask8& sure) {
  __mmask8 main;
  const __m512d power = power_kernels::powerOfLanes(base, exponent, main);
  sure &= main;
  return storeAtBothEnds(_mm512_mul_pd(times(power, 1 - kPowerLaneMargin), factor),
                         _mm512_mul_pd(times(power, 1 + kPowerLaneMargin), factor), store, sure);
}

LITTORAL_AVX512_CODE_END

}  // namespace littoral::single_lanes

#endif  // LITTORAL_EXP_LANES_X86
