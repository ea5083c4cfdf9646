#include "real_text.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace littoral {
// The fixed form is put together as one word whose lowest byte is its first character.
static_assert(std::endian::native == std::endian::little, "the text words need a little-endian");

namespace {

// The powers of ten that a double holds exactly, 10^0 to 10^22.
constexpr int kExactPowers = 22;
constexpr auto kPowersOfTen = [] {
  std::array<double, kExactPowers + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

// floor(log10(2^(biased exponent - 127))) of each biased exponent of a single.
constexpr auto kDecimalExponents = [] {
  std::array<std::int8_t, 256> exponents{};
  for (int biased = 0; biased < 256; ++biased) {
    exponents[std::size_t(biased)] = std::int8_t(((biased - 127) * 78913) >> 18);
  }
  return exponents;
}();

// The magnitude times 10^scale, within 2^-53 of the exact product: one correctly rounded
// product or quotient of exact operands.
double scaleByPowerOfTen(double magnitude, int scale) {
  return scale >= 0 ? magnitude * kPowersOfTen[std::size_t(scale)]
                    : magnitude / kPowersOfTen[std::size_t(-scale)];
}

// Rounds a scaled magnitude to the nearest integer. Its error is below 1e-7, so the rounding is
// certain unless it lies within 1e-6 of a half: false for those, which the exact formatting
// rounds to even.
bool roundScaled(double scaled, std::uint32_t& digits) {
  const auto whole = static_cast<std::uint32_t>(scaled);
  const double rest = scaled - double(whole);
  if (rest > 0.5 - 1e-6 && rest < 0.5 + 1e-6) return false;
  digits = whole + (rest > 0.5 ? 1 : 0);
  return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

[[gnu::always_inline]] inline void writePair(char* at, std::uint32_t pair) {
  std::memcpy(at, kDigitPairs + 2 * pair, 2);
}

// Writes the eight digits of a number below 10^8.
[[gnu::always_inline]] inline void writeEightDigits(char* at, std::uint32_t digits) {
  const std::uint32_t high = digits / 10000;
  const std::uint32_t low = digits % 10000;
  writePair(at, high / 100);
  writePair(at + 2, high % 100);
  writePair(at + 4, low / 100);
  writePair(at + 6, low % 100);
}

// Decimal exponent of the value once rounded to seven significant digits.
int roundedExponent(double magnitude) {
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 6);
  int exponent = 0;
  const char* exponentStart = std::find(buffer, result.ptr, 'e') + 1;
  if (*exponentStart == '+') ++exponentStart;  // from_chars takes no plus sign
  std::from_chars(exponentStart, result.ptr, exponent);
  return exponent;
}

}  // namespace

char* writeRealTextExactly(char* at, float value) {
  if (std::isnan(value)) return std::copy_n("NaN", 3, at);
  if (std::isinf(value))
    return value < 0 ? std::copy_n("-Infinity", 9, at) : std::copy_n("Infinity", 8, at);
  const double exact = double(value);
  const int exponent = roundedExponent(std::fabs(exact));
  if (exponent >= -1 && exponent <= 6) {
    // Fixed point with seven significant digits; "1234567." keeps its point.
    const int decimals = 6 - exponent;
    at = std::to_chars(at, at + kRealTextSize, exact, std::chars_format::fixed, decimals).ptr;
    if (decimals == 0) *at++ = '.';
    return at;
  }
  char* start = at;
  at = std::to_chars(at, at + kRealTextSize, exact, std::chars_format::scientific, 7).ptr;
  std::replace(start, at, 'e', 'E');
  return at;
}

// The magnitude scaled to eight digits in double precision, and from it the seven-digit rounding
// that chooses between the fixed and the exponent form.
char* writeRealTextQuickly(char* at, float value) {
  const float magnitude = std::fabs(value);
  const auto biased = std::bit_cast<std::uint32_t>(magnitude) >> 23;
  if (biased == 0 || biased == 255) return nullptr;  // subnormal, infinite or NaN
  // floor(log10(magnitude)) is the estimate or one more.
  int exponent = kDecimalExponents[biased];
  int scale = 7 - exponent;
  if (scale > kExactPowers || scale - 1 < -kExactPowers) return nullptr;
  double eightDigits = scaleByPowerOfTen(double(magnitude), scale);
  if (eightDigits >= 1e8 - 0.5) {
    ++exponent;
    eightDigits = scaleByPowerOfTen(double(magnitude), --scale);
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
    char text[8];
    writeEightDigits(text, digits);  // a leading zero, then the seven digits
    std::uint64_t word = 0;
    std::memcpy(&word, text, 8);
    word >>= 8;
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
  char text[8];
  writeEightDigits(text, digits);
  at[0] = text[0];
  at[1] = '.';
  std::memcpy(at + 2, text + 1, 7);
  at += 9;
  *at++ = 'E';
  *at++ = exponent < 0 ? '-' : '+';
  writePair(at, std::uint32_t(std::abs(exponent)));
  return at + 2;
}

char* writeRoughTextQuickly(char* at, double value) {
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-30 && magnitude <= 1e30)) return nullptr;  // zero, NaN or far out
  // floor(log10(magnitude)) is the estimate or one more.
  const auto biased = int(std::bit_cast<std::uint64_t>(magnitude) >> 52);
  int exponent = ((biased - 1023) * 78913) >> 18;
  int scale = 3 - exponent;
  if (scale > kExactPowers || scale - 1 < -kExactPowers) return nullptr;
  double fourDigits = scaleByPowerOfTen(magnitude, scale);
  // Not at 1e4 - 0.5, where the rounding would decide: a product misjudged at 1e4 rounds to
  // 1000 with the next exponent either way.
  if (fourDigits >= 1e4) {
    ++exponent;
    fourDigits = scaleByPowerOfTen(magnitude, --scale);
  }
  // The product is within 2^-53 of itself below 10^4, far closer to it than 1e-9.
  const auto whole = static_cast<std::uint32_t>(fourDigits);
  const double rest = fourDigits - double(whole);
  if (rest > 0.5 - 1e-9 && rest < 0.5 + 1e-9) return nullptr;
  std::uint32_t digits = whole + (rest > 0.5 ? 1 : 0);
  if (digits == 10000) {
    digits = 1000;
    ++exponent;
  }
  const char text[4] = {char('0' + digits / 1000), char('0' + digits / 100 % 10),
                        char('0' + digits / 10 % 10), char('0' + digits % 10)};
  int significant = 4;  // the digits before the trailing zeros
  while (significant > 1 && text[significant - 1] == '0') --significant;
  if (value < 0) *at++ = '-';
  if (exponent >= -4 && exponent < 4) {
    // Fixed, with 3 - exponent decimals less the trailing zeros: 2.749, 10, 0.0125.
    if (exponent < 0) {
      *at++ = '0';
      *at++ = '.';
      at = std::fill_n(at, -exponent - 1, '0');
      return std::copy_n(text, significant, at);
    }
    at = std::copy_n(text, exponent + 1, at);
    if (significant > exponent + 1) {
      *at++ = '.';
      at = std::copy_n(text + exponent + 1, significant - exponent - 1, at);
    }
    return at;
  }
  // An exponent of at least two digits: 1.5e+04, 3e-05.
  *at++ = text[0];
  if (significant > 1) {
    *at++ = '.';
    at = std::copy_n(text + 1, significant - 1, at);
  }
  *at++ = 'e';
  *at++ = exponent < 0 ? '-' : '+';
  const auto exponentDigits = std::uint32_t(std::abs(exponent));
  *at++ = char('0' + exponentDigits / 10);
  *at++ = char('0' + exponentDigits % 10);
  return at;
}

char* writeRoughText(char* at, double value) {
  char* end = writeRoughTextQuickly(at, value);
  if (end != nullptr) return end;
  return std::to_chars(at, at + kRoughTextSize, value, std::chars_format::general, 4).ptr;
}

char* writeRealText(char* at, float value) {
  if (value == 0) return std::copy_n("0.0000000E+00", 13, at);  // no sign
  char* end = writeRealTextQuickly(at, value);
  return end != nullptr ? end : writeRealTextExactly(at, value);
}

void appendRealText(std::string& out, float value) {
  char text[kRealTextSize];
  out.append(text, std::size_t(writeRealText(text, value) - text));
}

}  // namespace littoral
