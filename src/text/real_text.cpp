#include "real_text.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace littoral {
namespace {

using real_text_detail::kExactPowers;
using real_text_detail::kPowersOfTen;

// The magnitude times 10^scale, within 2^-53 of the exact product: one correctly rounded
// product or quotient of exact operands.
double scaleByPowerOfTen(double magnitude, int scale) {
  return scale >= 0 ? magnitude * kPowersOfTen[std::size_t(scale)]
                    : magnitude / kPowersOfTen[std::size_t(-scale)];
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

void appendRealText(std::string& out, float value) {
  char text[kRealTextSize];
  out.append(text, std::size_t(writeRealText(text, value) - text));
}

}  // namespace littoral
