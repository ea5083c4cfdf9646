#include "real_texts.hpp"

#include <array>
#include <cstring>

#include "real_text.hpp"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LITTORAL_REAL_TEXT_LANES 1
#include <immintrin.h>
#endif

namespace littoral {
namespace {

void writeOne(const float* values, std::size_t i, RealTexts& texts) {
  char* const start = texts.text[i].data();
  texts.length[i] = static_cast<std::uint8_t>(writeRealText(start, values[i]) - start);
}

void writeEachScalar(const float* values, std::size_t first, std::size_t count, RealTexts& texts) {
  for (std::size_t i = first; i < count; ++i) writeOne(values, i, texts);
}

#ifdef LITTORAL_REAL_TEXT_LANES

// The scales of real_text_detail::kEightDigitScales as the lanes gather them.
struct LaneScales {
  alignas(64) double power[256];
  alignas(64) double nextPower[256];
  alignas(64) std::int32_t exponent[256];
  alignas(64) std::int32_t divides[256];      // -1 or 0
  alignas(64) std::int32_t nextDivides[256];  // -1 or 0
  alignas(64) std::int32_t usable[256];       // -1 or 0
};

// A scale as the four-lane way loads it: one row of 32 bytes a lane, which four lanes' loads
// turn into columns. The flags ride in the sign bits of the words whose low halves are the
// exponent and `usable`, where a blend reads them.
struct alignas(32) LaneScaleRow {
  double power;
  double nextPower;
  std::uint64_t exponentAndDivides;    // the exponent, and divides in bit 63
  std::uint64_t usableAndNextDivides;  // usable (-1 or 0), and nextDivides in bit 63
};

constexpr std::uint64_t signBit(bool flag) { return flag ? std::uint64_t(1) << 63 : 0; }

constexpr std::array<LaneScaleRow, 256> kLaneScaleRows = [] {
  std::array<LaneScaleRow, 256> rows{};
  for (std::size_t i = 0; i < 256; ++i) {
    const real_text_detail::EightDigitScale& scale = real_text_detail::kEightDigitScales[i];
    rows[i] = {scale.power, scale.nextPower, std::uint32_t(scale.exponent) | signBit(scale.divides),
               std::uint32_t(scale.usable ? -1 : 0) | signBit(scale.nextDivides)};
  }
  return rows;
}();

constexpr LaneScales kLaneScales = [] {
  LaneScales lanes{};
  for (std::size_t i = 0; i < 256; ++i) {
    const real_text_detail::EightDigitScale& scale = real_text_detail::kEightDigitScales[i];
    lanes.power[i] = scale.power;
    lanes.nextPower[i] = scale.nextPower;
    lanes.exponent[i] = scale.exponent;
    lanes.divides[i] = scale.divides ? -1 : 0;
    lanes.nextDivides[i] = scale.nextDivides ? -1 : 0;
    lanes.usable[i] = scale.usable ? -1 : 0;
  }
  return lanes;
}();

// The scale rows of four lanes as columns: each lane's row loaded whole, and the four rows
// turned about (a gather of four took longer on AMD's Zen 4 than these loads and moves).
struct ScaleColumns {
  __m256d power, nextPower;
  __m256d divides, nextDivides;  // in the sign bits
  __m128i exponent, usable;
};

[[gnu::target("avx2")]] inline __m128i lowHalves(__m256d words) {
  const __m256i halves = _mm256_permutevar8x32_epi32(_mm256_castpd_si256(words),
                                                     _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
  return _mm256_castsi256_si128(halves);
}

[[gnu::target("avx2")]] inline ScaleColumns scaleColumns(__m128i biased) {
  alignas(16) std::int32_t at[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(at), biased);
  const auto row = [&](std::size_t lane) __attribute__((target("avx2"))) {
    return _mm256_load_pd(&kLaneScaleRows[std::size_t(at[lane])].power);
  };
  const __m256d row0 = row(0), row1 = row(1), row2 = row(2), row3 = row(3);
  const __m256d rows01Low = _mm256_unpacklo_pd(row0, row1);
  const __m256d rows01High = _mm256_unpackhi_pd(row0, row1);
  const __m256d rows23Low = _mm256_unpacklo_pd(row2, row3);
  const __m256d rows23High = _mm256_unpackhi_pd(row2, row3);
  const __m256d exponentAndDivides = _mm256_permute2f128_pd(rows01Low, rows23Low, 0x31);
  const __m256d usableAndNextDivides = _mm256_permute2f128_pd(rows01High, rows23High, 0x31);
  return {_mm256_permute2f128_pd(rows01Low, rows23Low, 0x20),
          _mm256_permute2f128_pd(rows01High, rows23High, 0x20),
          exponentAndDivides,
          usableAndNextDivides,
          lowHalves(exponentAndDivides),
          lowHalves(usableAndNextDivides)};
}

// The magnitudes times or over their powers of ten, as real_text_detail::scaled. The quotients
// are only worked out where a lane divides (a magnitude from 10^7 up, seldom met).
[[gnu::target("avx2")]] inline __m256d scaledLanes(__m256d magnitude, __m256d power,
                                                   __m256d divide) {
  const __m256d product = _mm256_mul_pd(magnitude, power);
  if (_mm256_movemask_pd(divide) == 0) return product;
  return _mm256_blendv_pd(product, _mm256_div_pd(magnitude, power), divide);
}

// What the lanes worked out for each value: its fixed-point word (the digits with the point in
// them), its eight digits and exponent for the exponent form, and which form each lane settled.
template <std::size_t kLanes>
struct LaneTexts {
  alignas(64) std::uint64_t fixed[kLanes];
  alignas(64) std::uint64_t digits[kLanes];
  alignas(64) std::int32_t points[kLanes];
  alignas(64) std::int32_t exponents[kLanes];
  unsigned fixedLanes = 0;  // a bit for each lane
  unsigned eightLanes = 0;
};

// Puts each lane's text together in its slot; a lane of neither form is written one at a time.
template <std::size_t kLanes>
void writeLaneTexts(const float* values, std::size_t first, const LaneTexts<kLanes>& lanes,
                    RealTexts& texts) {
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    const std::size_t i = first + lane;
    char* const start = texts.text[i].data();
    char* at = start;
    if ((lanes.fixedLanes & (1u << lane)) != 0) {
      if (values[i] < 0) *at++ = '-';
      if (lanes.points[lane] == 0) *at++ = '0';
      std::memcpy(at, &lanes.fixed[lane], 8);
      texts.length[i] = static_cast<std::uint8_t>(at + 8 - start);
    } else if ((lanes.eightLanes & (1u << lane)) != 0) {
      // Eight digits with an exponent: 2.6506891E-02.
      if (values[i] < 0) *at++ = '-';
      const std::uint64_t afterFirst = lanes.digits[lane] >> 8;
      at[0] = char(lanes.digits[lane]);
      at[1] = '.';
      std::memcpy(at + 2, &afterFirst, 7);
      const std::int32_t written = lanes.exponents[lane];
      const auto exponentDigits = std::uint32_t(written < 0 ? -written : written);
      at[9] = 'E';
      at[10] = written < 0 ? '-' : '+';
      at[11] = char('0' + exponentDigits / 10);
      at[12] = char('0' + exponentDigits % 10);
      texts.length[i] = static_cast<std::uint8_t>(at + 13 - start);
    } else {
      writeOne(values, i, texts);
    }
  }
}

// writeRealTextQuickly on four values side by side: the same products and quotients of doubles,
// the same comparisons and the same digits, each step done in the four lanes at once, and the
// text put together lane by lane. A value the lanes do not settle (zero, a subnormal, infinity or
// NaN, a scale beyond the exact powers, a digit too near a half) is written by writeRealText.
[[gnu::target("avx2")]] void writeFourAvx2(const float* values, std::size_t first,
                                           RealTexts& texts) {
  const __m128 value = _mm_loadu_ps(values + first);
  const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), value);
  const __m128i biased = _mm_srli_epi32(_mm_castps_si128(magnitude), 23);
  const __m256d magnitudeD = _mm256_cvtps_pd(magnitude);

  const ScaleColumns scale = scaleColumns(biased);
  __m256d eightDigits = scaledLanes(magnitudeD, scale.power, scale.divides);
  const __m256d over = _mm256_cmp_pd(eightDigits, _mm256_set1_pd(1e8 - 0.5), _CMP_GE_OQ);
  eightDigits = _mm256_blendv_pd(eightDigits,
                                 scaledLanes(magnitudeD, scale.nextPower, scale.nextDivides), over);
  // The over mask as four 32-bit lanes: -1 where the exponent is one more.
  const __m128i overLanes = _mm256_cvtpd_epi32(_mm256_and_pd(over, _mm256_set1_pd(-1.0)));
  const __m128i exponent = _mm_sub_epi32(scale.exponent, overLanes);

  // roundScaled(eightDigits * 0.1): the truncation, the rest, a rest near a half, the rounding.
  const __m256d seven = _mm256_mul_pd(eightDigits, _mm256_set1_pd(0.1));
  const __m128i whole = _mm256_cvttpd_epi32(seven);
  const __m256d rest = _mm256_sub_pd(seven, _mm256_cvtepi32_pd(whole));
  const __m256d nearHalf =
      _mm256_and_pd(_mm256_cmp_pd(rest, _mm256_set1_pd(0.5 - 1e-6), _CMP_GT_OQ),
                    _mm256_cmp_pd(rest, _mm256_set1_pd(0.5 + 1e-6), _CMP_LT_OQ));
  const __m256d up = _mm256_cmp_pd(rest, _mm256_set1_pd(0.5), _CMP_GT_OQ);
  __m128i digits =
      _mm_sub_epi32(whole, _mm256_cvtpd_epi32(_mm256_and_pd(up, _mm256_set1_pd(-1.0))));
  const __m128i rounded = _mm_cmpeq_epi32(digits, _mm_set1_epi32(10000000));
  digits = _mm_blendv_epi8(digits, _mm_set1_epi32(1000000), rounded);
  const __m128i sevenExponent = _mm_sub_epi32(exponent, rounded);
  const __m128i fixed = _mm_and_si128(_mm_cmpgt_epi32(sevenExponent, _mm_set1_epi32(-2)),
                                      _mm_cmpgt_epi32(_mm_set1_epi32(7), sevenExponent));
  // Settled to seven digits: the scale usable and the seventh digit not near a half.
  const __m128i roundedSeven = _mm_andnot_si128(
      _mm256_cvtpd_epi32(_mm256_and_pd(nearHalf, _mm256_set1_pd(-1.0))), scale.usable);
  // The exponent form's eight digits: roundScaled(eightDigits), and 10^8 as 10^7 with the
  // next exponent.
  const __m128i wholeEight = _mm256_cvttpd_epi32(eightDigits);
  const __m256d restEight = _mm256_sub_pd(eightDigits, _mm256_cvtepi32_pd(wholeEight));
  const __m256d nearHalfEight =
      _mm256_and_pd(_mm256_cmp_pd(restEight, _mm256_set1_pd(0.5 - 1e-6), _CMP_GT_OQ),
                    _mm256_cmp_pd(restEight, _mm256_set1_pd(0.5 + 1e-6), _CMP_LT_OQ));
  const __m256d upEight = _mm256_cmp_pd(restEight, _mm256_set1_pd(0.5), _CMP_GT_OQ);
  __m128i eight =
      _mm_sub_epi32(wholeEight, _mm256_cvtpd_epi32(_mm256_and_pd(upEight, _mm256_set1_pd(-1.0))));
  const __m128i roundedEight = _mm_cmpeq_epi32(eight, _mm_set1_epi32(100000000));
  eight = _mm_blendv_epi8(eight, _mm_set1_epi32(10000000), roundedEight);
  const __m128i eightExponent = _mm_sub_epi32(exponent, roundedEight);
  const __m128i settledEight =
      _mm_andnot_si128(_mm256_cvtpd_epi32(_mm256_and_pd(nearHalfEight, _mm256_set1_pd(-1.0))),
                       _mm_andnot_si128(fixed, roundedSeven));
  const int fixedLanes = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(fixed, roundedSeven)));
  const int eightLanes = _mm_movemask_ps(_mm_castsi128_ps(settledEight));
  digits = _mm_blendv_epi8(digits, eight, settledEight);

  // eightDigitText in 64-bit lanes: the halves of four digits in 32-bit lanes, the pairs in
  // 16-bit lanes.
  const __m256i digits64 = _mm256_cvtepu32_epi64(digits);
  const __m256i high =
      _mm256_srli_epi64(_mm256_mul_epu32(digits64, _mm256_set1_epi64x(3518437209)), 45);
  const __m256i low = _mm256_sub_epi64(digits64, _mm256_mul_epu32(high, _mm256_set1_epi64x(10000)));
  const __m256i fours = _mm256_or_si256(high, _mm256_slli_epi64(low, 32));
  const __m256i hundreds =
      _mm256_srli_epi32(_mm256_mullo_epi32(fours, _mm256_set1_epi32(10486)), 20);
  const __m256i pairs = _mm256_or_si256(
      _mm256_slli_epi32(
          _mm256_sub_epi32(fours, _mm256_mullo_epi32(hundreds, _mm256_set1_epi32(100))), 16),
      hundreds);
  const __m256i tens = _mm256_srli_epi16(_mm256_mullo_epi16(pairs, _mm256_set1_epi16(103)), 10);
  const __m256i text = _mm256_or_si256(
      _mm256_or_si256(
          tens, _mm256_slli_epi16(
                    _mm256_sub_epi16(pairs, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10))), 8)),
      _mm256_set1_epi8(0x30));
  // The seven digits with the point after pointAfter of them.
  const __m256i word = _mm256_srli_epi64(text, 8);
  const __m128i pointAfter = _mm_add_epi32(sevenExponent, _mm_set1_epi32(1));
  const __m256i shift = _mm256_cvtepi32_epi64(_mm_slli_epi32(pointAfter, 3));
  const __m256i before =
      _mm256_sub_epi64(_mm256_sllv_epi64(_mm256_set1_epi64x(1), shift), _mm256_set1_epi64x(1));
  const __m256i pointed =
      _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(word, before),
                                      _mm256_sllv_epi64(_mm256_set1_epi64x('.'), shift)),
                      _mm256_slli_epi64(_mm256_andnot_si256(before, word), 8));

  LaneTexts<4> lanes;
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.fixed), pointed);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.digits), text);
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes.points), pointAfter);
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes.exponents), eightExponent);
  lanes.fixedLanes = unsigned(fixedLanes);
  lanes.eightLanes = unsigned(eightLanes);
  writeLaneTexts(values, first, lanes, texts);
}

[[gnu::target("avx2")]] void writeEachAvx2(const float* values, std::size_t count,
                                           RealTexts& texts) {
  std::size_t first = 0;
  for (; first + 4 <= count; first += 4) writeFourAvx2(values, first, texts);
  writeEachScalar(values, first, count, texts);
}

#define LITTORAL_AVX512 "avx512f,avx512bw,avx512vl,avx512dq"
// GCC 12's AVX-512 conversions take an undefined vector that it then calls uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"

// The scales of eight lanes, gathered, and their scaled magnitudes.
[[gnu::target(LITTORAL_AVX512)]] inline __m256i gatherEight(const std::int32_t* table,
                                                            __m256i biased) {
  return _mm256_mmask_i32gather_epi32(_mm256_setzero_si256(), 0xFF, biased, table, 4);
}

[[gnu::target(LITTORAL_AVX512)]] inline __m512d scaledEight(__m512d magnitude, __m256i biased,
                                                            const double* powers,
                                                            const std::int32_t* divides) {
  const __m512d power = _mm512_mask_i32gather_pd(_mm512_setzero_pd(), 0xFF, biased, powers, 8);
  const __mmask8 divide =
      _mm256_cmpneq_epi32_mask(gatherEight(divides, biased), _mm256_setzero_si256());
  return _mm512_mask_div_pd(_mm512_mul_pd(magnitude, power), divide, magnitude, power);
}

// writeFourAvx2 on eight values side by side, in AVX-512 registers and masks: the same steps.
[[gnu::target(LITTORAL_AVX512)]] void writeEightAvx512(const float* values, std::size_t first,
                                                       RealTexts& texts) {
  const __m256i one = _mm256_set1_epi32(1);
  const __m256 value = _mm256_loadu_ps(values + first);
  const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), value);
  const __m256i biased = _mm256_srli_epi32(_mm256_castps_si256(magnitude), 23);
  const __m512d magnitudeD = _mm512_cvtps_pd(magnitude);

  __m512d eightDigits = scaledEight(magnitudeD, biased, kLaneScales.power, kLaneScales.divides);
  const __mmask8 over = _mm512_cmp_pd_mask(eightDigits, _mm512_set1_pd(1e8 - 0.5), _CMP_GE_OQ);
  eightDigits = _mm512_mask_mov_pd(
      eightDigits, over,
      scaledEight(magnitudeD, biased, kLaneScales.nextPower, kLaneScales.nextDivides));
  const __m256i scaleExponent = gatherEight(kLaneScales.exponent, biased);
  const __m256i exponent = _mm256_mask_add_epi32(scaleExponent, over, scaleExponent, one);

  // roundScaled(eightDigits * 0.1) and the seven digits' exponent.
  const __m512d seven = _mm512_mul_pd(eightDigits, _mm512_set1_pd(0.1));
  const __m256i whole = _mm512_cvttpd_epi32(seven);
  const __m512d rest = _mm512_sub_pd(seven, _mm512_cvtepi32_pd(whole));
  const __mmask8 nearHalf = _mm512_cmp_pd_mask(rest, _mm512_set1_pd(0.5 - 1e-6), _CMP_GT_OQ) &
                            _mm512_cmp_pd_mask(rest, _mm512_set1_pd(0.5 + 1e-6), _CMP_LT_OQ);
  const __mmask8 up = _mm512_cmp_pd_mask(rest, _mm512_set1_pd(0.5), _CMP_GT_OQ);
  __m256i digits = _mm256_mask_add_epi32(whole, up, whole, one);
  const __mmask8 rounded = _mm256_cmpeq_epi32_mask(digits, _mm256_set1_epi32(10000000));
  digits = _mm256_mask_mov_epi32(digits, rounded, _mm256_set1_epi32(1000000));
  const __m256i sevenExponent = _mm256_mask_add_epi32(exponent, rounded, exponent, one);
  const __mmask8 fixed = _mm256_cmpgt_epi32_mask(sevenExponent, _mm256_set1_epi32(-2)) &
                         _mm256_cmpgt_epi32_mask(_mm256_set1_epi32(7), sevenExponent);
  const __mmask8 usable =
      _mm256_cmpneq_epi32_mask(gatherEight(kLaneScales.usable, biased), _mm256_setzero_si256());
  const __mmask8 roundedSeven = __mmask8(usable & ~nearHalf);

  // The exponent form's eight digits.
  const __m256i wholeEight = _mm512_cvttpd_epi32(eightDigits);
  const __m512d restEight = _mm512_sub_pd(eightDigits, _mm512_cvtepi32_pd(wholeEight));
  const __mmask8 nearHalfEight =
      _mm512_cmp_pd_mask(restEight, _mm512_set1_pd(0.5 - 1e-6), _CMP_GT_OQ) &
      _mm512_cmp_pd_mask(restEight, _mm512_set1_pd(0.5 + 1e-6), _CMP_LT_OQ);
  const __mmask8 upEight = _mm512_cmp_pd_mask(restEight, _mm512_set1_pd(0.5), _CMP_GT_OQ);
  __m256i eight = _mm256_mask_add_epi32(wholeEight, upEight, wholeEight, one);
  const __mmask8 roundedEight = _mm256_cmpeq_epi32_mask(eight, _mm256_set1_epi32(100000000));
  eight = _mm256_mask_mov_epi32(eight, roundedEight, _mm256_set1_epi32(10000000));
  const __m256i eightExponent = _mm256_mask_add_epi32(exponent, roundedEight, exponent, one);
  const __mmask8 settledEight = __mmask8(roundedSeven & ~fixed & ~nearHalfEight);
  digits = _mm256_mask_mov_epi32(digits, settledEight, eight);

  // eightDigitText in 64-bit lanes.
  const __m512i digits64 = _mm512_cvtepu32_epi64(digits);
  const __m512i high =
      _mm512_srli_epi64(_mm512_mul_epu32(digits64, _mm512_set1_epi64(3518437209)), 45);
  const __m512i low = _mm512_sub_epi64(digits64, _mm512_mul_epu32(high, _mm512_set1_epi64(10000)));
  const __m512i fours = _mm512_or_si512(high, _mm512_slli_epi64(low, 32));
  const __m512i hundreds =
      _mm512_srli_epi32(_mm512_mullo_epi32(fours, _mm512_set1_epi32(10486)), 20);
  const __m512i pairs = _mm512_or_si512(
      _mm512_slli_epi32(
          _mm512_sub_epi32(fours, _mm512_mullo_epi32(hundreds, _mm512_set1_epi32(100))), 16),
      hundreds);
  const __m512i tens = _mm512_srli_epi16(_mm512_mullo_epi16(pairs, _mm512_set1_epi16(103)), 10);
  const __m512i text = _mm512_or_si512(
      _mm512_or_si512(
          tens, _mm512_slli_epi16(
                    _mm512_sub_epi16(pairs, _mm512_mullo_epi16(tens, _mm512_set1_epi16(10))), 8)),
      _mm512_set1_epi8(0x30));
  const __m512i word = _mm512_srli_epi64(text, 8);
  const __m256i pointAfter = _mm256_add_epi32(sevenExponent, one);
  const __m512i shift = _mm512_cvtepi32_epi64(_mm256_slli_epi32(pointAfter, 3));
  const __m512i before =
      _mm512_sub_epi64(_mm512_sllv_epi64(_mm512_set1_epi64(1), shift), _mm512_set1_epi64(1));
  const __m512i pointed =
      _mm512_or_si512(_mm512_or_si512(_mm512_and_si512(word, before),
                                      _mm512_sllv_epi64(_mm512_set1_epi64('.'), shift)),
                      _mm512_slli_epi64(_mm512_andnot_si512(before, word), 8));

  LaneTexts<8> lanes;
  _mm512_store_si512(lanes.fixed, pointed);
  _mm512_store_si512(lanes.digits, text);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.points), pointAfter);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.exponents), eightExponent);
  lanes.fixedLanes = unsigned(fixed & roundedSeven);
  lanes.eightLanes = unsigned(settledEight);
  writeLaneTexts(values, first, lanes, texts);
}

[[gnu::target(LITTORAL_AVX512)]] void writeEachAvx512(const float* values, std::size_t count,
                                                      RealTexts& texts) {
  std::size_t first = 0;
  for (; first + 8 <= count; first += 8) writeEightAvx512(values, first, texts);
  for (; first + 4 <= count; first += 4) writeFourAvx2(values, first, texts);
  writeEachScalar(values, first, count, texts);
}

#pragma GCC diagnostic pop
#undef LITTORAL_AVX512

#endif  // LITTORAL_REAL_TEXT_LANES

}  // namespace

bool runsRealTextWay(RealTextWay way) {
  switch (way) {
    case RealTextWay::oneAtATime:
      return true;
#ifdef LITTORAL_REAL_TEXT_LANES
    case RealTextWay::avx2:
      return __builtin_cpu_supports("avx2");
    case RealTextWay::avx512:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
             __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512dq");
#endif
    default:
      return false;
  }
}

RealTextWay bestRealTextWay() {
  static const RealTextWay best = [] {
    for (const RealTextWay way : {RealTextWay::avx512, RealTextWay::avx2}) {
      if (runsRealTextWay(way)) return way;
    }
    return RealTextWay::oneAtATime;
  }();
  return best;
}

void writeRealTexts(const float* values, std::size_t count, RealTexts& texts, RealTextWay way) {
  switch (way) {
#ifdef LITTORAL_REAL_TEXT_LANES
    case RealTextWay::avx512:
      writeEachAvx512(values, count, texts);
      return;
    case RealTextWay::avx2:
      writeEachAvx2(values, count, texts);
      return;
#endif
    default:
      writeEachScalar(values, 0, count, texts);
  }
}

void writeRealTexts(const float* values, std::size_t count, RealTexts& texts) {
  writeRealTexts(values, count, texts, bestRealTextWay());
}

}  // namespace littoral
