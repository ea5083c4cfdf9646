#include "records.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "run_errors.hpp"

namespace {

constexpr std::size_t kRecordWidth = 80;
constexpr int kIntegerWidth = 12;
constexpr int kRealWidth = 15;

std::string rightJustify(std::string_view text, std::size_t width) {
  std::string field(text.size() < width ? width - text.size() : 0, ' ');
  field += text;
  return field;
}

// Decimal exponent of the value once rounded to seven significant digits.
int roundedExponent(double magnitude) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6e", magnitude);
  return std::atoi(std::strchr(buffer, 'e') + 1);
}

std::string fieldOf(const Item& item) {
  if (item.kind == Item::Kind::integer) return formatInteger(item.integer);
  return formatReal(item.real);
}

}  // namespace

std::string formatReal(float value) {
  if (std::isnan(value)) return rightJustify("NaN", kRealWidth);
  if (std::isinf(value)) return rightJustify(value < 0 ? "-Infinity" : "Infinity", kRealWidth);
  if (value == 0) return rightJustify("0.0000000E+00", kRealWidth);  // no sign on a zero

  const double exact = value;
  const int exponent = roundedExponent(std::fabs(exact));
  char buffer[64];
  if (exponent >= -1 && exponent <= 6) {
    // Fixed point with seven significant digits; '#' keeps the point of "1234567.".
    std::snprintf(buffer, sizeof buffer, "%#.*f", 6 - exponent, exact);
    return rightJustify(buffer, kRealWidth - 4) + "    ";
  }
  std::snprintf(buffer, sizeof buffer, "%.7E", exact);
  return rightJustify(buffer, kRealWidth);
}

std::string formatInteger(std::int32_t value) {
  return rightJustify(std::to_string(value), kIntegerWidth);
}

std::string layoutRecords(std::initializer_list<Item> items) {
  std::string records;
  std::string record = " ";
  bool recordHasItems = false;
  bool lastWasNumber = false;
  auto endRecord = [&] {
    records += record;
    records += "\r\n";
    record = " ";
    recordHasItems = false;
    lastWasNumber = false;
  };

  for (const Item& item : items) {
    const std::size_t room = kRecordWidth - record.size();
    if (item.kind != Item::Kind::text) {
      const std::string field = fieldOf(item);
      if (room < field.size()) endRecord();
      record += field;
      recordHasItems = true;
      lastWasNumber = true;
      continue;
    }
    std::string_view text = item.text;
    const std::size_t needed = text.size() + (lastWasNumber ? 1 : 0);
    if (needed > room && recordHasItems) endRecord();
    if (lastWasNumber) record += ' ';
    // A text longer than a whole record fills successive records.
    while (text.size() > kRecordWidth - record.size()) {
      const std::size_t piece = kRecordWidth - record.size();
      record += text.substr(0, piece);
      text.remove_prefix(piece);
      endRecord();
    }
    record += text;
    recordHasItems = true;
    lastWasNumber = false;
  }
  endRecord();
  return records;
}

void writeText(Destination& destination, std::string_view text) {
  std::ostream& stream = *destination.stream;
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  stream.flush();
  if (!stream) raiseWriteFailure(destination.unit, destination.fileName);
}

void writeRecord(Destination& destination, std::initializer_list<Item> items) {
  writeText(destination, layoutRecords(items));
}
