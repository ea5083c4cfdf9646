#include "console_input.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <optional>
#include <string>

#include "run_errors.hpp"

namespace {

// Tabs and carriage returns (answer files from other systems) count as blanks.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool startsListSyntax(std::string_view value) {
  return !value.empty() &&
         (value[0] == '(' || value[0] == ')' || value[0] == '\'' || value[0] == '"');
}

// Resolves a repeat form r*c to c, and r* to no value at all.
std::optional<std::string_view> resolveRepeat(std::string_view value) {
  const std::size_t star = value.find('*');
  if (star == std::string_view::npos) return value;
  const std::string_view count = value.substr(0, star);
  const std::string_view repeated = value.substr(star + 1);
  if (count.empty()) raiseConversionError();
  bool allZero = true;
  for (const char c : count) {
    if (!isDigit(c)) raiseConversionError();
    allZero = allZero && c == '0';
  }
  if (allZero) raiseSyntaxError();
  if (repeated.empty()) return std::nullopt;
  if (startsListSyntax(repeated)) raiseSyntaxError();
  return repeated;
}

// Reads lines until one holds a value, a null value or a slash, and returns the characters of
// the value; no value for a null value or a slash.
std::optional<std::string> readListValue(RunIo& io) {
  std::string line;
  releaseConsole(io);
  for (;;) {
    if (!std::getline(*io.input, line)) raiseEndOfFile();
    std::size_t start = 0;
    while (start < line.size() && isBlank(line[start])) ++start;
    if (start == line.size()) continue;  // a blank line supplies nothing
    if (line[start] == ',' || line[start] == '/') return std::nullopt;
    std::size_t end = start;
    while (end < line.size() && !isBlank(line[end]) && line[end] != ',' && line[end] != '/') {
      ++end;
    }
    const std::string_view value = std::string_view(line).substr(start, end - start);
    if (startsListSyntax(value)) raiseSyntaxError();
    const std::optional<std::string_view> resolved = resolveRepeat(value);
    if (!resolved) return std::nullopt;
    return std::string(*resolved);
  }
}

std::size_t skipDigits(const std::string& text, std::size_t at) {
  while (at < text.size() && isDigit(text[at])) ++at;
  return at;
}

// A signed decimal number with an optional exponent introduced by E, e, D or d, rewritten with
// an E exponent for the C library; error 64 when the characters do not form one.
std::string normalizeNumber(std::string text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const std::size_t integerEnd = skipDigits(text, at);
  std::size_t mantissaEnd = integerEnd;
  std::size_t fractionDigits = 0;
  if (mantissaEnd < text.size() && text[mantissaEnd] == '.') {
    mantissaEnd = skipDigits(text, mantissaEnd + 1);
    fractionDigits = mantissaEnd - integerEnd - 1;
  }
  if (integerEnd == at && fractionDigits == 0) raiseConversionError();
  at = mantissaEnd;
  if (at < text.size()) {
    if (std::string_view("EeDd").find(text[at]) == std::string_view::npos) {
      raiseConversionError();
    }
    text[at] = 'E';
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t exponentEnd = skipDigits(text, at);
    if (exponentEnd == at || exponentEnd != text.size()) raiseConversionError();
  }
  return text;
}

}  // namespace

void readValue(RunIo& io, float& variable) {
  const std::optional<std::string> value = readListValue(io);
  if (!value) return;
  const std::string number = normalizeNumber(*value);
  const float converted = std::strtof(number.c_str(), nullptr);  // correctly rounded to single
  if (std::isinf(converted)) raiseConversionError();
  variable = converted;
}

void readValue(RunIo& io, std::int32_t& variable) {
  const std::optional<std::string> value = readListValue(io);
  if (!value) return;
  const std::string number = normalizeNumber(*value);
  const double truncated = std::trunc(std::strtod(number.c_str(), nullptr));
  if (!(truncated >= -2147483648.0 && truncated <= 2147483647.0)) raiseConversionError();
  variable = static_cast<std::int32_t>(truncated);
}
