#include "records.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

#include "decimal_rounding.hpp"
#include "held_console.hpp"
#include "run_errors.hpp"

namespace {

constexpr std::size_t kRecordWidth = 80;
constexpr std::size_t kIntegerWidth = 12;
constexpr std::size_t kRealWidth = 15;

void appendRightJustified(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
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

// The text of the digits with a point after the first pointAfter of them (none after all).
std::string_view placePoint(char* buffer, bool negative, std::uint64_t digits, int count,
                            int pointAfter) {
  char* at = buffer;
  if (negative) *at++ = '-';
  if (pointAfter == 0) *at++ = '0';
  char text[24];
  for (int i = count - 1; i >= 0; --i) {
    text[i] = char('0' + digits % 10);
    digits /= 10;
  }
  for (int i = 0; i < count; ++i) {
    if (i == pointAfter) *at++ = '.';
    *at++ = text[i];
  }
  if (pointAfter == count) *at++ = '.';
  return std::string_view(buffer, std::size_t(at - buffer));
}

// The fast path of a finite, non-zero value: exact integer rounding of the digits. False for a
// magnitude outside its range.
bool appendRoundedReal(std::string& out, float value) {
  const float magnitude = std::fabs(value);
  const std::optional<RoundedDecimal> seven = roundToDigits(magnitude, 7);
  if (!seven) return false;
  char buffer[32];
  if (seven->exponent >= -1 && seven->exponent <= 6) {
    appendRightJustified(out, placePoint(buffer, value < 0, seven->digits, 7, seven->exponent + 1),
                         kRealWidth - 4);
    out += "    ";
    return true;
  }
  const std::optional<RoundedDecimal> eight = roundToDigits(magnitude, 8);
  std::string_view mantissa = placePoint(buffer, value < 0, eight->digits, 8, 1);
  char field[32];
  char* at = std::copy(mantissa.begin(), mantissa.end(), field);
  *at++ = 'E';
  *at++ = eight->exponent < 0 ? '-' : '+';
  const int exponentSize = std::abs(eight->exponent);
  *at++ = char('0' + exponentSize / 10);
  *at++ = char('0' + exponentSize % 10);
  appendRightJustified(out, std::string_view(field, std::size_t(at - field)), kRealWidth);
  return true;
}

void appendReal(std::string& out, float value) {
  if (std::isnan(value)) return appendRightJustified(out, "NaN", kRealWidth);
  if (std::isinf(value)) {
    return appendRightJustified(out, value < 0 ? "-Infinity" : "Infinity", kRealWidth);
  }
  if (value == 0) return appendRightJustified(out, "0.0000000E+00", kRealWidth);  // no sign

  if (appendRoundedReal(out, value)) return;
  // Both forms round the exact binary value to nearest, as printf does.
  const double exact = double(value);
  const int exponent = roundedExponent(std::fabs(exact));
  char buffer[64];
  if (exponent >= -1 && exponent <= 6) {
    // Fixed point with seven significant digits; "1234567." keeps its point.
    const int decimals = 6 - exponent;
    char* end =
        std::to_chars(buffer, buffer + sizeof buffer - 1, exact, std::chars_format::fixed, decimals)
            .ptr;
    if (decimals == 0) *end++ = '.';
    appendRightJustified(out, std::string_view(buffer, std::size_t(end - buffer)), kRealWidth - 4);
    out += "    ";
    return;
  }
  char* end =
      std::to_chars(buffer, buffer + sizeof buffer, exact, std::chars_format::scientific, 7).ptr;
  std::replace(buffer, end, 'e', 'E');
  appendRightJustified(out, std::string_view(buffer, std::size_t(end - buffer)), kRealWidth);
}

void appendInteger(std::string& out, std::int32_t value) {
  char buffer[16];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  appendRightJustified(out, std::string_view(buffer, std::size_t(end - buffer)), kIntegerWidth);
}

// Builds the records of one statement into a single text.
class RecordBuilder {
 public:
  RecordBuilder() {
    text_.reserve(2 * kRecordWidth);
    text_ += ' ';
  }

  void addNumber(const Item& item) {
    const std::size_t width = item.kind == Item::Kind::integer ? kIntegerWidth : kRealWidth;
    if (room() < width) endRecord();
    if (item.kind == Item::Kind::integer) {
      appendInteger(text_, item.integer);
    } else {
      appendReal(text_, item.real);
    }
    hasItems_ = true;
    lastWasNumber_ = true;
  }

  void addText(std::string_view text) {
    const std::size_t needed = text.size() + (lastWasNumber_ ? 1 : 0);
    if (needed > room() && hasItems_) endRecord();
    if (lastWasNumber_) text_ += ' ';
    // A text longer than a whole record fills successive records.
    while (text.size() > room()) {
      const std::size_t piece = room();
      text_ += text.substr(0, piece);
      text.remove_prefix(piece);
      endRecord();
    }
    text_ += text;
    hasItems_ = true;
    lastWasNumber_ = false;
  }

  std::string finish() {
    text_ += "\r\n";
    return std::move(text_);
  }

 private:
  std::size_t room() const { return kRecordWidth - (text_.size() - recordStart_); }

  void endRecord() {
    text_ += "\r\n";
    recordStart_ = text_.size();
    text_ += ' ';
    hasItems_ = false;
    lastWasNumber_ = false;
  }

  std::string text_;
  std::size_t recordStart_ = 0;
  bool hasItems_ = false;
  bool lastWasNumber_ = false;
};

}  // namespace

std::string formatReal(float value) {
  std::string field;
  appendReal(field, value);
  return field;
}

std::string formatInteger(std::int32_t value) {
  std::string field;
  appendInteger(field, value);
  return field;
}

std::string layoutRecords(std::initializer_list<Item> items) {
  RecordBuilder builder;
  for (const Item& item : items) {
    if (item.kind == Item::Kind::text) {
      builder.addText(item.text);
    } else {
      builder.addNumber(item);
    }
  }
  return builder.finish();
}

void writeText(Destination& destination, std::string_view text) {
  if (destination.held) {
    if (!holdConsoleText(destination.fd, text)) {
      raiseWriteFailure(destination.unit, destination.fileName);
    }
    return;
  }
  if (destination.fd < 0) {
    std::ostream& stream = *destination.stream;
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    stream.flush();
    if (!stream) raiseWriteFailure(destination.unit, destination.fileName);
    return;
  }
  if (!appendToFile(destination, text)) raiseWriteFailure(destination.unit, destination.fileName);
}

void writeRecord(Destination& destination, std::initializer_list<Item> items) {
  writeText(destination, layoutRecords(items));
}
