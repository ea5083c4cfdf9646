#include "console_input.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <optional>
#include <string>

#include "number_text.hpp"
#include "run_errors.hpp"

namespace littoral {
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

using Traits = std::istream::traits_type;

// The longest value read; anything longer cannot be a number of this program.
constexpr std::size_t kLongestValue = 4096;

bool isEnd(Traits::int_type c) { return Traits::eq_int_type(c, Traits::eof()); }

// The next value of the answers, read a character at a time so that a line is never held
// whole: its characters, or none for a null value or a slash. The rest of its line is left
// unread, for skipRestOfLine.
struct ListValue {
  std::optional<std::string> text;
  bool lineEnded = false;
};

ListValue readListValue(RunIo& io) {
  releaseConsole(io);
  std::streambuf& input = *io.input->rdbuf();
  for (;;) {
    Traits::int_type c = input.sbumpc();
    while (!isEnd(c) && isBlank(Traits::to_char_type(c))) c = input.sbumpc();
    if (isEnd(c)) raiseEndOfFile();
    if (c == '\n') continue;  // a blank line supplies nothing
    if (c == ',' || c == '/') return ListValue{};
    std::string value;
    for (; !isEnd(c) && c != '\n' && !isBlank(Traits::to_char_type(c)) && c != ',' && c != '/';
         c = input.sbumpc()) {
      if (value.size() == kLongestValue) raiseConversionError();
      value += Traits::to_char_type(c);
    }
    const bool lineEnded = isEnd(c) || c == '\n';
    if (startsListSyntax(value)) raiseSyntaxError();
    const std::optional<std::string_view> resolved = resolveRepeat(value);
    if (!resolved) return ListValue{std::nullopt, lineEnded};
    return ListValue{std::string(*resolved), lineEnded};
  }
}

// Whatever else the line of a value holds is ignored, and not kept.
void skipRestOfLine(RunIo& io, const ListValue& value) {
  if (value.lineEnded) return;
  std::streambuf& input = *io.input->rdbuf();
  for (Traits::int_type c = input.sbumpc(); !isEnd(c) && c != '\n'; c = input.sbumpc()) {
  }
}

}  // namespace

void readValue(RunIo& io, float& variable) {
  const ListValue value = readListValue(io);
  if (value.text) {
    float converted = 0;
    if (readRealText(*value.text, converted) != NumberReading::number) raiseConversionError();
    variable = converted;
  }
  skipRestOfLine(io, value);
}

void readValue(RunIo& io, std::int32_t& variable) {
  const ListValue value = readListValue(io);
  if (value.text) {
    const std::optional<std::int32_t> converted = readIntegerText(*value.text);
    if (!converted) raiseConversionError();
    variable = *converted;
  }
  skipRestOfLine(io, value);
}

}  // namespace littoral
