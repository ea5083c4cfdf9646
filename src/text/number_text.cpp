#include "number_text.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>

namespace littoral {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && isDigit(text[at])) ++at;
  return at;
}

// The number in the form the C library reads (no leading plus, an E exponent), when the text is
// a signed decimal number with an optional exponent after E, e, D or d.
bool normalizeNumber(std::string_view text, std::string& number) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const std::size_t integerEnd = skipDigits(text, at);
  std::size_t mantissaEnd = integerEnd;
  if (mantissaEnd < text.size() && text[mantissaEnd] == '.') {
    mantissaEnd = skipDigits(text, mantissaEnd + 1);
    if (integerEnd == at && mantissaEnd == integerEnd + 1) return false;  // a point alone
  } else if (integerEnd == at) {
    return false;
  }
  std::size_t end = mantissaEnd;
  if (end < text.size()) {
    if (std::string_view("EeDd").find(text[end]) == std::string_view::npos) return false;
    ++end;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const std::size_t exponentEnd = skipDigits(text, end);
    if (exponentEnd == end || exponentEnd != text.size()) return false;
  }
  number.assign(text.substr(text[0] == '+' ? 1 : 0));
  if (mantissaEnd < text.size()) number[mantissaEnd - (text[0] == '+' ? 1 : 0)] = 'e';
  return true;
}

}  // namespace

namespace {

// Reads a plain decimal whose digits make an integer of at most 2^digitBits, with at most
// maxDecimals after the point. The integer and the power of ten are then both exact in Real, so
// one division in Real gives the nearest Real to the decimal.
template <class Real, int digitBits, int maxDecimals>
bool readPlainDecimalIn(std::string_view text, Real& value) {
  static constexpr auto kPowersOfTen = [] {
    std::array<Real, maxDecimals + 1> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
  }();
  constexpr std::uint64_t kExactIntegers = std::uint64_t(1) << digitBits;
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++at;
  std::uint64_t digits = 0;
  std::size_t digitCount = 0;
  std::size_t decimals = 0;
  bool point = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (!isDigit(c)) return false;
    digits = digits * 10 + std::uint64_t(c - '0');
    if (digits > kExactIntegers) return false;
    ++digitCount;
    if (point && ++decimals > std::size_t(maxDecimals)) return false;
  }
  if (digitCount == 0) return false;
  const Real magnitude = Real(digits) / kPowersOfTen[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

bool readPlainDecimal(std::string_view text, float& value) {
  return readPlainDecimalIn<float, 24, 10>(text, value);
}

bool readPlainDecimal(std::string_view text, double& value) {
  return readPlainDecimalIn<double, 53, 22>(text, value);
}

namespace {

// The nearest Real to the number; beyond Real's range it is outOfRange, and a result that
// underflows is taken as it comes (as the console takes it).
template <class Real>
NumberReading readRealTextAs(std::string_view text, Real& value) {
  if (readPlainDecimal(text, value)) return NumberReading::number;
  thread_local std::string number;
  if (!normalizeNumber(text, number)) return NumberReading::notNumber;
  const char* end = number.data() + number.size();
  const auto [last, status] = std::from_chars(number.data(), end, value);
  if (status == std::errc() && last == end) return NumberReading::number;
  const Real converted = std::is_same_v<Real, float> ? Real(std::strtof(number.c_str(), nullptr))
                                                     : Real(std::strtod(number.c_str(), nullptr));
  if (std::isinf(converted)) return NumberReading::outOfRange;
  value = converted;
  return NumberReading::number;
}

}  // namespace

NumberReading readRealText(std::string_view text, float& value) {
  return readRealTextAs(text, value);
}

NumberReading readRealText(std::string_view text, double& value) {
  return readRealTextAs(text, value);
}

std::optional<std::int32_t> readIntegerText(std::string_view text) {
  thread_local std::string number;
  if (!normalizeNumber(text, number)) return std::nullopt;
  return truncatedInteger(std::strtod(number.c_str(), nullptr));
}

std::optional<std::int32_t> truncatedInteger(double number) {
  const double truncated = std::trunc(number);
  if (!(truncated >= -2147483648.0 && truncated <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(truncated);
}

}  // namespace littoral
