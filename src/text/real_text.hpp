#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

// A real as the console prints it, without the blanks of its 15 positions: 2.161426,
// 2.6506891E-02, 1234567., NaN, -Infinity.

namespace littoral {

// The longest such text: a sign and 14 characters.
inline constexpr int kRealTextSize = 15;

// Writes the text at `at` (room for kRealTextSize characters) and returns its end.
inline char* writeRealText(char* at, float value);

// The two ways of writeRealText. The quick way scales the magnitude to eight digits in double
// precision and returns null where that cannot settle the rounding (a subnormal, a scale beyond
// the powers of ten a double holds exactly, a digit too near a half); the exact way rounds the
// exact binary value as printf does, ties to even. Neither gives zero its unsigned text.
inline char* writeRealTextQuickly(char* at, float value);
char* writeRealTextExactly(char* at, float value);

namespace real_text_detail {

// The powers of ten that a double holds exactly, 10^0 to 10^22.
inline constexpr int kExactPowers = 22;
inline constexpr auto kPowersOfTen = [] {
  std::array<double, kExactPowers + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

// How a single of a biased exponent is scaled to eight digits: floor(log10(2^(biased - 127)))
// as the estimate of its decimal exponent (the exponent is that or one more), and the power of
// ten that the magnitude is multiplied by (or divided by, where the scale is negative) for that
// exponent and for the next. Not usable for a subnormal, an infinity or NaN, or a scale beyond
// the exact powers.
struct EightDigitScale {
  double power = 0;
  double nextPower = 0;
  std::int8_t exponent = 0;
  bool divides = false;
  bool nextDivides = false;
  bool usable = false;
};

inline constexpr auto kEightDigitScales = [] {
  std::array<EightDigitScale, 256> scales{};
  for (int biased = 1; biased < 255; ++biased) {
    EightDigitScale& entry = scales[std::size_t(biased)];
    entry.exponent = std::int8_t(((biased - 127) * 78913) >> 18);
    const int scale = 7 - entry.exponent;
    entry.usable = scale <= kExactPowers && scale - 1 >= -kExactPowers;
    if (!entry.usable) continue;
    entry.divides = scale < 0;
    entry.power = kPowersOfTen[std::size_t(scale < 0 ? -scale : scale)];
    entry.nextDivides = scale - 1 < 0;
    entry.nextPower = kPowersOfTen[std::size_t(scale - 1 < 0 ? 1 - scale : scale - 1)];
  }
  return scales;
}();

// The magnitude times or over a power of ten, within 2^-53 of the exact result: one correctly
// rounded product or quotient of exact operands.
inline double scaled(double magnitude, double power, bool divides) {
  return divides ? magnitude / power : magnitude * power;
}

// Rounds a scaled magnitude to the nearest integer. Its error is below 1e-7, so the rounding is
// certain unless it lies within 1e-6 of a half: false for those, which the exact formatting
// rounds to even.
inline bool roundScaled(double scaledMagnitude, std::uint32_t& digits) {
  const auto whole = static_cast<std::uint32_t>(scaledMagnitude);
  const double rest = scaledMagnitude - double(whole);
  if (rest > 0.5 - 1e-6 && rest < 0.5 + 1e-6) return false;
  digits = whole + (rest > 0.5 ? 1 : 0);
  return true;
}

// The eight digits of a number below 10^8 as text, the first digit in the lowest byte: the two
// halves of four digits, each split into pairs and the pairs into digits, side by side in one
// word by multiplications that stand for the divisions (x * 10486 >> 20 is x / 100 for x below
// 10^4, x * 103 >> 10 is x / 10 for x below 100).
inline std::uint64_t eightDigitText(std::uint32_t digits) {
  static_assert(std::endian::native == std::endian::little, "the text words need little-endian");
  const std::uint64_t fours = (digits / 10000) | (std::uint64_t(digits % 10000) << 32);
  const std::uint64_t hundreds = ((fours * 10486) >> 20) & 0x0000007F0000007FULL;
  const std::uint64_t pairs = ((fours - 100 * hundreds) << 16) | hundreds;
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
  return (tens | ((pairs - 10 * tens) << 8)) | 0x3030303030303030ULL;
}

}  // namespace real_text_detail

// The magnitude scaled to eight digits in double precision, and from it the seven-digit rounding
// that chooses between the fixed and the exponent form.
[[gnu::always_inline]] inline char* writeRealTextQuickly(char* at, float value) {
  using namespace real_text_detail;
  const float magnitude = std::fabs(value);
  const EightDigitScale& scale = kEightDigitScales[std::bit_cast<std::uint32_t>(magnitude) >> 23];
  if (!scale.usable) return nullptr;
  int exponent = scale.exponent;
  double eightDigits = scaled(double(magnitude), scale.power, scale.divides);
  if (eightDigits >= 1e8 - 0.5) {
    ++exponent;
    eightDigits = scaled(double(magnitude), scale.nextPower, scale.nextDivides);
  }
  // Seven digits, and their exponent once rounded (9999999.6 is 1.000000E+07).
  std::uint32_t digits = 0;
  if (!roundScaled(eightDigits * 0.1, digits)) return nullptr;
  int sevenExponent = exponent;
  if (digits == 10000000) {
    digits = 1000000;
    ++sevenExponent;
  }
  if (value < 0) *at++ = '-';
  if (sevenExponent >= -1 && sevenExponent <= 6) {
    // Seven digits in fixed point: 0.1234567, 12.34567, 1234567. The point goes in between
    // the digits in one eight-character word.
    const int pointAfter = sevenExponent + 1;
    if (pointAfter == 0) *at++ = '0';
    std::uint64_t word = eightDigitText(digits) >> 8;  // the seven digits, the leading zero gone
    const std::uint64_t before = (std::uint64_t(1) << (8 * pointAfter)) - 1;
    word = (word & before) | (std::uint64_t('.') << (8 * pointAfter)) | ((word & ~before) << 8);
    std::memcpy(at, &word, 8);
    return at + 8;
  }
  // Eight digits with an exponent: 2.6506891E-02.
  if (!roundScaled(eightDigits, digits)) return nullptr;
  if (digits == 100000000) {
    digits = 10000000;
    ++exponent;
  }
  const std::uint64_t text = eightDigitText(digits);
  const std::uint64_t rest = text >> 8;
  at[0] = char(text);
  at[1] = '.';
  std::memcpy(at + 2, &rest, 7);
  at[9] = 'E';
  at[10] = exponent < 0 ? '-' : '+';
  const auto exponentDigits = std::uint32_t(exponent < 0 ? -exponent : exponent);
  at[11] = char('0' + exponentDigits / 10);
  at[12] = char('0' + exponentDigits % 10);
  return at + 13;
}

inline char* writeRealText(char* at, float value) {
  if (value == 0) {  // no sign
    std::memcpy(at, "0.0000000E+00", 13);
    return at + 13;
  }
  char* end = writeRealTextQuickly(at, value);
  return end != nullptr ? end : writeRealTextExactly(at, value);
}

// A real as a warning shows it, to four significant digits as printf's %.4g writes it: 2.749,
// 10, 0.0125, 1.5e+04. The text is at most kRoughTextSize characters; the quick way returns
// null where scaling cannot settle the rounding (zero, a size beyond about 1e-19 to 1e25, a
// digit too near a half).
inline constexpr int kRoughTextSize = 24;
char* writeRoughText(char* at, double value);
char* writeRoughTextQuickly(char* at, double value);

// Appends the text.
void appendRealText(std::string& out, float value);

}  // namespace littoral
