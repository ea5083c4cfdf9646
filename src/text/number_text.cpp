#include "number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

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

// The integer of the digits and the power of ten are both exact singles, so one single division
// gives the nearest single to the decimal.
bool readPlainDecimal(std::string_view text, float& value) {
  static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                           1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  constexpr std::uint32_t kExactIntegers = 1u << 24;
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++at;
  std::uint32_t digits = 0;
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
    digits = digits * 10 + std::uint32_t(c - '0');
    if (digits > kExactIntegers) return false;
    ++digitCount;
    if (point && ++decimals >= std::size(kPowersOfTen)) return false;
  }
  if (digitCount == 0) return false;
  const float magnitude = float(digits) / kPowersOfTen[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

NumberReading readRealText(std::string_view text, float& value) {
  if (readPlainDecimal(text, value)) return NumberReading::number;
  thread_local std::string number;
  if (!normalizeNumber(text, number)) return NumberReading::notNumber;
  const char* end = number.data() + number.size();
  const auto [last, status] = std::from_chars(number.data(), end, value);
  if (status == std::errc() && last == end) return NumberReading::number;
  // Beyond the single range: the console takes a result that underflows and refuses infinity.
  const float converted = std::strtof(number.c_str(), nullptr);
  if (std::isinf(converted)) return NumberReading::outOfRange;
  value = converted;
  return NumberReading::number;
}

NumberReading readRealText(std::string_view text, double& value) {
  thread_local std::string number;
  if (!normalizeNumber(text, number)) return NumberReading::notNumber;
  const char* end = number.data() + number.size();
  const auto [last, status] = std::from_chars(number.data(), end, value);
  if (status == std::errc() && last == end) return NumberReading::number;
  const double converted = std::strtod(number.c_str(), nullptr);
  if (std::isinf(converted)) return NumberReading::outOfRange;
  value = converted;
  return NumberReading::number;
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
