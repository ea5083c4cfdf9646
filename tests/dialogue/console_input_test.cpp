#include "console_input.hpp"

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "run_errors.hpp"

namespace littoral {
namespace {

constexpr float kUntouched = -7.25f;

// Reads one value of type T from the given console text, starting from kUntouched.
template <typename T>
T readFrom(const std::string& text, T initial = static_cast<T>(kUntouched)) {
  std::istringstream input(text);
  std::ostringstream output;
  std::ostringstream errors;
  RunIo io;
  bindConsole(io, input, output, errors);
  T variable = initial;
  readValue(io, variable);
  return variable;
}

// The message of the run-time error that reading the text raises, or "" when it reads.
template <typename T>
std::string errorOf(const std::string& text) {
  try {
    readFrom<T>(text);
  } catch (const RunError& error) {
    EXPECT_NE(error.exitStatus, 0);
    return error.message;
  }
  return "";
}

const char* const kConversion = "forrtl: severe (64): input conversion error, unit -4, file CONIN$";
const char* const kSyntax =
    "forrtl: severe (59): list-directed I/O syntax error, unit -4, file CONIN$";
const char* const kEndOfFile = "forrtl: severe (24): end-of-file during read, unit -4, file CONIN$";

TEST(ReadReal, NumberForms) {
  EXPECT_EQ(readFrom<float>("12\n"), 12.0f);
  EXPECT_EQ(readFrom<float>("12.5\n"), 12.5f);
  EXPECT_EQ(readFrom<float>(".5\n"), 0.5f);
  EXPECT_EQ(readFrom<float>("-2.\n"), -2.0f);
  EXPECT_EQ(readFrom<float>("+4\n"), 4.0f);
  for (const char* text : {"1.25E1", "1.25e1", "1.25D1", "1.25d1", "125e-1", "1.25E+1"}) {
    EXPECT_EQ(readFrom<float>(text), 12.5f) << text;
  }
  EXPECT_EQ(readFrom<float>("9.81"), 9.81f);  // a last line without a line feed
}

TEST(ReadReal, ValueEndsAtBlankCommaSlashOrLineEnd) {
  EXPECT_EQ(readFrom<float>("2,3\n"), 2.0f);
  EXPECT_EQ(readFrom<float>("  2 3\n"), 2.0f);
  EXPECT_EQ(readFrom<float>("5/\n"), 5.0f);
  EXPECT_EQ(readFrom<float>("6 abc\n"), 6.0f);  // the rest of the line is ignored
}

TEST(ReadReal, BlankLinesAreSkippedAndTabsAndCarriageReturnsAreBlanks) {
  EXPECT_EQ(readFrom<float>("\n   \n\t\r\n3\n"), 3.0f);
  EXPECT_EQ(readFrom<float>("\t12\r\n"), 12.0f);
}

TEST(ReadReal, NullValueAndSlashKeepTheVariable) {
  for (const char* text : {"/\n", ",\n", "  , 5\n", "3*\n", "3*,\n", "2* 9\n", "\n/\n"}) {
    EXPECT_EQ(readFrom<float>(text), kUntouched) << text;
  }
}

TEST(ReadReal, RepeatFormSuppliesItsValue) {
  EXPECT_EQ(readFrom<float>("3*7\n"), 7.0f);
  EXPECT_EQ(readFrom<float>("1*2.5,8\n"), 2.5f);
}

TEST(ReadReal, DecimalConvertsDirectlyToTheNearestSingle) {
  // Just above the midpoint between 1 and the next single: through a double it would round to
  // the midpoint and then to even (1.0).
  EXPECT_EQ(readFrom<float>("1.0000000596046447753906250000000001\n"), std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(readFrom<float>("0.78\n"), 0.78f);
}

TEST(ReadReal, RangeOfTheSingle) {
  EXPECT_EQ(readFrom<float>("3.4028235e38\n"), std::numeric_limits<float>::max());
  EXPECT_EQ(readFrom<float>("1e-50\n"), 0.0f);  // an underflow reads as zero
  EXPECT_EQ(errorOf<float>("3.402824e38\n"), kConversion);
  EXPECT_EQ(errorOf<float>("-1e39\n"), kConversion);
}

TEST(ReadReal, CharactersThatDoNotFormANumberAreAConversionError) {
  for (const char* text : {"abc", "1e", "+", ".", "1.2.3", "1(2", "Inf", "NaN", "1.0+5", "a*5",
                           "*5", "-3*5", "3**5", "0x10", "1e+", "1'2"}) {
    EXPECT_EQ(errorOf<float>(std::string(text) + "\n"), kConversion) << text;
  }
}

TEST(ReadReal, ParenthesesQuotesAndZeroRepeatsBreakTheListSyntax) {
  for (const char* text : {"(1,2)", ")", "'5'", "\"5\"", "3*(1)", "2*'a'", "0*5", "00*5"}) {
    EXPECT_EQ(errorOf<float>(std::string(text) + "\n"), kSyntax) << text;
  }
}

TEST(ReadReal, EndOfInputIsAnEndOfFileError) {
  EXPECT_EQ(errorOf<float>(""), kEndOfFile);
  EXPECT_EQ(errorOf<float>("\n  \n"), kEndOfFile);
}

TEST(ReadReal, NextReadStartsOnANewLine) {
  std::istringstream input("1 2\n3\n");
  std::ostringstream output;
  RunIo io;
  bindConsole(io, input, output, output);
  float first = 0;
  float second = 0;
  readValue(io, first);
  readValue(io, second);
  EXPECT_EQ(first, 1.0f);
  EXPECT_EQ(second, 3.0f);
}

TEST(ReadInteger, TruncatesTowardZero) {
  EXPECT_EQ(readFrom<std::int32_t>("1.5\n"), 1);
  EXPECT_EQ(readFrom<std::int32_t>("0.9\n"), 0);
  EXPECT_EQ(readFrom<std::int32_t>("-2.7\n"), -2);
  EXPECT_EQ(readFrom<std::int32_t>("2E0\n"), 2);
  EXPECT_EQ(readFrom<std::int32_t>("2147483647.9\n"), 2147483647);
  EXPECT_EQ(readFrom<std::int32_t>("-2147483648\n"), -2147483647 - 1);
}

TEST(ReadInteger, NullValueKeepsTheVariable) {
  EXPECT_EQ(readFrom<std::int32_t>("/\n", 5), 5);
  EXPECT_EQ(readFrom<std::int32_t>(",\n", 5), 5);
}

TEST(ReadInteger, BeyondThirtyTwoBitsIsAConversionError) {
  EXPECT_EQ(errorOf<std::int32_t>("2147483648\n"), kConversion);
  EXPECT_EQ(errorOf<std::int32_t>("-2147483649\n"), kConversion);
  EXPECT_EQ(errorOf<std::int32_t>("1e400\n"), kConversion);
  EXPECT_EQ(errorOf<std::int32_t>("x\n"), kConversion);
}

}  // namespace

}  // namespace littoral
