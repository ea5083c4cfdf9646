#include "record_match.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace littoral {
namespace {

// Half a unit in the last digit of a figure such as "2.1614" or "1.77E+05".
double halfUnitOf(const std::string& figure) {
  const std::size_t exponentAt = figure.find_first_of("Ee");
  const std::string mantissa = figure.substr(0, exponentAt);
  const std::size_t point = mantissa.find('.');
  const int decimals = point == std::string::npos ? 0 : int(mantissa.size() - point - 1);
  const int exponent = exponentAt == std::string::npos ? 0 : std::atoi(&figure[exponentAt + 1]);
  return 0.5 * std::pow(10.0, exponent - decimals);
}

// A real field as the layout writes it: the exponent form, NaN and Infinity right-justified in
// 15 positions, the fixed-point form in 11 followed by four blanks.
std::string realField(const std::string& value) {
  const bool fixedPoint = value.find_first_of("EIN") == std::string::npos;
  const std::size_t width = fixedPoint ? 11 : 15;
  std::string field(value.size() < width ? width - value.size() : 0, ' ');
  return field + value + (fixedPoint ? "    " : "");
}

// A worked figure matches when the printed value lies within half a unit of its last digit,
// widened by the half unit of the printed seventh digit.
bool fieldMatches(const std::string& field, const std::string& expected) {
  if (expected == "*") return field.find_first_not_of(' ') != std::string::npos;
  if (expected[0] != '~') return field == realField(expected);
  const std::string figure = expected.substr(1);
  const double printed = std::strtod(field.c_str(), nullptr);
  const double wanted = std::strtod(figure.c_str(), nullptr);
  return std::fabs(printed - wanted) <= halfUnitOf(figure) + 5e-7 * std::fabs(printed);
}

void expectRecord(const std::string& record, const Rec& rec, std::size_t index) {
  SCOPED_TRACE("record " + std::to_string(index + 1) + ": \"" + record + "\"");
  const std::string start = " " + rec.text;
  ASSERT_EQ(record.substr(0, start.size()), start);
  std::size_t at = start.size();
  for (const std::string& value : rec.values) {
    const bool integer = value[0] == '#';
    const std::size_t width = integer ? 12 : 15;
    ASSERT_LE(at + width, record.size()) << "missing value " << value;
    const std::string field = record.substr(at, width);
    const bool matches = integer
                             ? field == std::string(12 - (value.size() - 1), ' ') + value.substr(1)
                             : fieldMatches(field, value);
    EXPECT_TRUE(matches) << "field \"" << field << "\", wanted " << value;
    at += width;
  }
  EXPECT_EQ(at, record.size()) << "unexpected characters after the values";
}

}  // namespace

std::vector<std::string> splitRecords(const std::string& text) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "record without CR LF: \"" << text.substr(start) << "\"";
      break;
    }
    result.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return result;
}

void expectRecords(const std::string& actual, const std::vector<Rec>& expected) {
  const std::vector<std::string> records = splitRecords(actual);
  EXPECT_EQ(records.size(), expected.size()) << actual;
  for (std::size_t i = 0; i < records.size() && i < expected.size(); ++i) {
    expectRecord(records[i], expected[i], i);
  }
}

void expectLeadingRecords(const std::string& actual, const std::vector<Rec>& expected) {
  const std::vector<std::string> records = splitRecords(actual);
  ASSERT_GE(records.size(), expected.size()) << actual;
  for (std::size_t i = 0; i < expected.size(); ++i) expectRecord(records[i], expected[i], i);
}

int countRecords(const std::string& text, const std::string& recordText) {
  int count = 0;
  for (const std::string& record : splitRecords(text)) {
    if (record.rfind(" " + recordText, 0) == 0) ++count;
  }
  return count;
}

}  // namespace littoral
