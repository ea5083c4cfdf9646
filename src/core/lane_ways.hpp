#pragma once

// Eight storms' doubles side by side, as the steps of the growth, transport and wave length lanes
// take them, in the two ways a processor may run: `lanes_avx512` in one AVX-512 register, and
// `lanes_avx2` in two AVX2 registers of four lanes. Each way names the same operations, so that
// a step written once in those names runs in either (in_each_lane_way.inc); each operation is the
// one IEEE operation its name says, in every lane, so both ways give the same bits. A lane mask is
// a bit for each lane, lane 0 the lowest. Only where LITTORAL_EXP_LANES_X86 is defined; a way's
// functions may only run where runsExpLanes of that way is true.

#include <cstddef>
#include <cstdint>

#include "exp_kernels.hpp"
#include "power_kernels.hpp"

#ifdef LITTORAL_EXP_LANES_X86

namespace littoral::lanes_avx512 {

LITTORAL_AVX512_CODE_BEGIN

using Vector = __m512d;
using Mask = std::uint8_t;

LITTORAL_AVX512 inline Vector broadcast(double value) { return _mm512_set1_pd(value); }
LITTORAL_AVX512 inline Vector add(Vector a, Vector b) { return _mm512_add_pd(a, b); }
LITTORAL_AVX512 inline Vector subtract(Vector a, Vector b) { return _mm512_sub_pd(a, b); }
LITTORAL_AVX512 inline Vector multiply(Vector a, Vector b) { return _mm512_mul_pd(a, b); }
LITTORAL_AVX512 inline Vector divide(Vector a, Vector b) { return _mm512_div_pd(a, b); }
LITTORAL_AVX512 inline Vector squareRoot(Vector a) { return _mm512_sqrt_pd(a); }
LITTORAL_AVX512 inline Vector absolute(Vector a) { return _mm512_abs_pd(a); }

// -x in each lane: its sign turned, as a double's minus turns it.
LITTORAL_AVX512 inline Vector negate(Vector x) {
  return _mm512_castsi512_pd(
      _mm512_xor_si512(_mm512_castpd_si512(x), _mm512_set1_epi64(INT64_MIN)));
}

// The eight singles from `singles` as doubles.
LITTORAL_AVX512 inline Vector widen(const float* singles) {
  return _mm512_cvtps_pd(_mm256_loadu_ps(singles));
}
LITTORAL_AVX512 inline Vector load(const double* doubles) { return _mm512_loadu_pd(doubles); }
LITTORAL_AVX512 inline void storeDoubles(Vector value, double* doubles) {
  _mm512_storeu_pd(doubles, value);
}

LITTORAL_AVX512 inline Vector roundToSingle(Vector value) {
  return _mm512_cvtps_pd(_mm512_cvtpd_ps(value));
}

// Rounds each lane to single and stores it in singles; returns the stored singles as doubles.
LITTORAL_AVX512 inline Vector storeSingles(Vector value, float* singles) {
  const __m256 single = _mm512_cvtpd_ps(value);
  _mm256_storeu_ps(singles, single);
  return _mm512_cvtps_pd(single);
}

LITTORAL_AVX512 inline Mask greater(Vector a, Vector b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ);
}
LITTORAL_AVX512 inline Mask greaterOrEqual(Vector a, Vector b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ);
}
LITTORAL_AVX512 inline Mask lessOrEqual(Vector a, Vector b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ);
}
LITTORAL_AVX512 inline Mask ordered(Vector a) { return _mm512_cmp_pd_mask(a, a, _CMP_ORD_Q); }
LITTORAL_AVX512 inline Mask sameBits(Vector a, Vector b) {
  return _mm512_cmpeq_epi64_mask(_mm512_castpd_si512(a), _mm512_castpd_si512(b));
}

// ifSet in the lanes of the mask, ifClear in the others.
LITTORAL_AVX512 inline Vector select(Mask mask, Vector ifSet, Vector ifClear) {
  return _mm512_mask_mov_pd(ifClear, mask, ifSet);
}

// a / b in the lanes of the mask, a in the others.
LITTORAL_AVX512 inline Vector divideWhere(Mask mask, Vector a, Vector b) {
  return _mm512_mask_div_pd(a, mask, a, b);
}

// exp_kernels' exp of n vectors, side by side; the lanes on its main path in main[k].
template <std::size_t n>
LITTORAL_AVX512 inline void expOfLanes(const Vector (&argument)[n], Vector (&result)[n],
                                       Mask (&main)[n]) {
  exp_kernels::expOfLanes(argument, result, main);
}

// power_kernels' pow of each lane; the lanes on its main path in `main`.
LITTORAL_AVX512 inline Vector powerOfLanes(Vector x, double y, Mask& main) {
  return power_kernels::powerOfLanes(x, y, main);
}

LITTORAL_AVX512_CODE_END

}  // namespace littoral::lanes_avx512

namespace littoral::lanes_avx2 {

// Lanes 0 to 3 in low, 4 to 7 in high.
struct Vector {
  __m256d low, high;
};
using Mask = std::uint8_t;

// A mask from all-ones lanes of each half, and the halves of a mask as all-ones lanes.
LITTORAL_AVX2 inline Mask maskOf(__m256d low, __m256d high) {
  return Mask(_mm256_movemask_pd(low) | (_mm256_movemask_pd(high) << 4));
}
LITTORAL_AVX2 inline __m256d lanesOf(unsigned fourBits) {
  const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
  return _mm256_castsi256_pd(
      _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_set1_epi64x(std::int64_t(fourBits)), bit), bit));
}

LITTORAL_AVX2 inline Vector broadcast(double value) {
  return {_mm256_set1_pd(value), _mm256_set1_pd(value)};
}
LITTORAL_AVX2 inline Vector add(Vector a, Vector b) {
  return {_mm256_add_pd(a.low, b.low), _mm256_add_pd(a.high, b.high)};
}
LITTORAL_AVX2 inline Vector subtract(Vector a, Vector b) {
  return {_mm256_sub_pd(a.low, b.low), _mm256_sub_pd(a.high, b.high)};
}
LITTORAL_AVX2 inline Vector multiply(Vector a, Vector b) {
  return {_mm256_mul_pd(a.low, b.low), _mm256_mul_pd(a.high, b.high)};
}
LITTORAL_AVX2 inline Vector divide(Vector a, Vector b) {
  return {_mm256_div_pd(a.low, b.low), _mm256_div_pd(a.high, b.high)};
}
LITTORAL_AVX2 inline Vector squareRoot(Vector a) {
  return {_mm256_sqrt_pd(a.low), _mm256_sqrt_pd(a.high)};
}
LITTORAL_AVX2 inline Vector absolute(Vector a) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  return {_mm256_andnot_pd(sign, a.low), _mm256_andnot_pd(sign, a.high)};
}
LITTORAL_AVX2 inline Vector negate(Vector a) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  return {_mm256_xor_pd(a.low, sign), _mm256_xor_pd(a.high, sign)};
}

LITTORAL_AVX2 inline Vector widen(const float* singles) {
  return {_mm256_cvtps_pd(_mm_loadu_ps(singles)), _mm256_cvtps_pd(_mm_loadu_ps(singles + 4))};
}
LITTORAL_AVX2 inline Vector load(const double* doubles) {
  return {_mm256_loadu_pd(doubles), _mm256_loadu_pd(doubles + 4)};
}

LITTORAL_AVX2 inline void storeDoubles(Vector value, double* doubles) {
  _mm256_storeu_pd(doubles, value.low);
  _mm256_storeu_pd(doubles + 4, value.high);
}

LITTORAL_AVX2 inline Vector roundToSingle(Vector value) {
  return {_mm256_cvtps_pd(_mm256_cvtpd_ps(value.low)),
          _mm256_cvtps_pd(_mm256_cvtpd_ps(value.high))};
}

LITTORAL_AVX2 inline Vector storeSingles(Vector value, float* singles) {
  const __m128 low = _mm256_cvtpd_ps(value.low);
  const __m128 high = _mm256_cvtpd_ps(value.high);
  _mm_storeu_ps(singles, low);
  _mm_storeu_ps(singles + 4, high);
  return {_mm256_cvtps_pd(low), _mm256_cvtps_pd(high)};
}

// The mask of a comparison of each half.
template <int kPredicate>
LITTORAL_AVX2 inline Mask compare(Vector a, Vector b) {
  return maskOf(_mm256_cmp_pd(a.low, b.low, kPredicate), _mm256_cmp_pd(a.high, b.high, kPredicate));
}
LITTORAL_AVX2 inline Mask greater(Vector a, Vector b) { return compare<_CMP_GT_OQ>(a, b); }
LITTORAL_AVX2 inline Mask greaterOrEqual(Vector a, Vector b) { return compare<_CMP_GE_OQ>(a, b); }
LITTORAL_AVX2 inline Mask lessOrEqual(Vector a, Vector b) { return compare<_CMP_LE_OQ>(a, b); }
LITTORAL_AVX2 inline Mask ordered(Vector a) { return compare<_CMP_ORD_Q>(a, a); }
LITTORAL_AVX2 inline __m256d sameBitsOfHalf(__m256d a, __m256d b) {
  return _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_castpd_si256(a), _mm256_castpd_si256(b)));
}
LITTORAL_AVX2 inline Mask sameBits(Vector a, Vector b) {
  return maskOf(sameBitsOfHalf(a.low, b.low), sameBitsOfHalf(a.high, b.high));
}

LITTORAL_AVX2 inline Vector select(Mask mask, Vector ifSet, Vector ifClear) {
  return {_mm256_blendv_pd(ifClear.low, ifSet.low, lanesOf(mask & 15u)),
          _mm256_blendv_pd(ifClear.high, ifSet.high, lanesOf(unsigned(mask) >> 4))};
}

// a / b in the lanes of the mask, a in the others (the quotient is worked in every lane).
LITTORAL_AVX2 inline Vector divideWhere(Mask mask, Vector a, Vector b) {
  return select(mask, divide(a, b), a);
}

// exp_kernels' four-lane exp of each half of n vectors; the lanes on its main path in main[k].
template <std::size_t n>
LITTORAL_AVX2 inline void expOfLanes(const Vector (&argument)[n], Vector (&result)[n],
                                     Mask (&main)[n]) {
  for (std::size_t k = 0; k < n; ++k) {
    __m256i lowMain, highMain;
    result[k] = {exp_kernels::expOfLanes(argument[k].low, lowMain),
                 exp_kernels::expOfLanes(argument[k].high, highMain)};
    main[k] = maskOf(_mm256_castsi256_pd(lowMain), _mm256_castsi256_pd(highMain));
  }
}

// power_kernels' four-lane pow of each half; the lanes on its main path in `main`.
LITTORAL_AVX2 inline Vector powerOfLanes(Vector x, double y, Mask& main) {
  __m256i lowMain, highMain;
  const Vector power = {power_kernels::powerOfLanes(x.low, y, lowMain),
                        power_kernels::powerOfLanes(x.high, y, highMain)};
  main = maskOf(_mm256_castsi256_pd(lowMain), _mm256_castsi256_pd(highMain));
  return power;
}

}  // namespace littoral::lanes_avx2

#endif  // LITTORAL_EXP_LANES_X86
