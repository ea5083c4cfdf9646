#include "records.hpp"
#include "run_io.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "real_text.hpp"
#include "run_errors.hpp"

namespace littoral {
namespace {

float fromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

struct RealCase {
  float value;
  const char* field;
};

TEST(FormatReal, FixedPointBetweenOneTenthAndTenMillion) {
  const RealCase cases[] = {
      {1000.0f, "   1000.000    "},    {12.5f, "   12.50000    "},
      {0.5f, "  0.5000000    "},       {0.1f, "  0.1000000    "},
      {1234567.0f, "   1234567.    "}, {9999999.0f, "   9999999.    "},
      {-1000.0f, "  -1000.000    "},   {-0.5f, " -0.5000000    "},
      {1.0f, "   1.000000    "},
  };
  for (const RealCase& c : cases) EXPECT_EQ(formatReal(c.value), c.field) << c.value;
}

TEST(FormatReal, ExponentFormOutsideTheFixedRange) {
  const RealCase cases[] = {
      {10000000.0f, "  1.0000000E+07"},
      {12345678.0f, "  1.2345678E+07"},
      {-12345678.0f, " -1.2345678E+07"},
      {-0.001f, " -1.0000000E-03"},
      // The single nearest 0.01 lies below it: 0.00999999977648258.
      {0.01f, "  9.9999998E-03"},
  };
  for (const RealCase& c : cases) EXPECT_EQ(formatReal(c.value), c.field) << c.value;
}

TEST(FormatReal, BoundaryBelowOneTenthIsExponentForm) {
  const float belowTenth = std::nextafter(0.1f, 0.0f);  // 0.0999999940395...
  EXPECT_EQ(formatReal(belowTenth), "  9.9999994E-02");
  EXPECT_NE(formatReal(0.09999999f).find('E'), std::string::npos);
}

TEST(FormatReal, LargestSinglesBelowAPowerOfTenKeepTheirDecade) {
  EXPECT_EQ(formatReal(std::nextafter(1.0f, 0.0f)), "  0.9999999    ");
  EXPECT_EQ(formatReal(std::nextafter(10.0f, 0.0f)), "   9.999999    ");
  EXPECT_EQ(formatReal(fromBits(0x4B18967F)), "   9999999.    ");  // 9999999 from its bits
}

TEST(FormatReal, ExtremesOfTheSingleRange) {
  EXPECT_EQ(formatReal(std::numeric_limits<float>::max()), "  3.4028235E+38");
  EXPECT_EQ(formatReal(std::numeric_limits<float>::denorm_min()), "  1.4012985E-45");
  EXPECT_EQ(formatReal(-std::numeric_limits<float>::denorm_min()), " -1.4012985E-45");
  EXPECT_EQ(formatReal(std::numeric_limits<float>::min()), "  1.1754944E-38");
}

TEST(FormatReal, SpecialValues) {
  EXPECT_EQ(formatReal(std::numeric_limits<float>::infinity()), "       Infinity");
  EXPECT_EQ(formatReal(-std::numeric_limits<float>::infinity()), "      -Infinity");
  EXPECT_EQ(formatReal(std::numeric_limits<float>::quiet_NaN()), "            NaN");
  EXPECT_EQ(formatReal(0.0f), "  0.0000000E+00");
  EXPECT_EQ(formatReal(-0.0f), "  0.0000000E+00");
}

TEST(FormatReal, ExactTiesRoundToEven) {
  EXPECT_EQ(formatReal(1234567.5f), "   1234568.    ");
  EXPECT_EQ(formatReal(1234568.5f), "   1234568.    ");
  EXPECT_EQ(formatReal(-1234567.5f), "  -1234568.    ");
}

// The layout rule worked by printf on the exact value, as the reference for a sweep over the
// whole single range.
std::string printfField(float value) {
  if (std::isnan(value)) return "            NaN";
  if (std::isinf(value)) return value < 0 ? "      -Infinity" : "       Infinity";
  if (value == 0) return "  0.0000000E+00";
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.6e", double(std::fabs(value)));
  const int exponent = std::atoi(std::strchr(digits, 'e') + 1);
  char text[64];
  if (exponent >= -1 && exponent <= 6) {
    std::snprintf(text, sizeof text, "%#11.*f    ", 6 - exponent, double(value));
  } else {
    std::snprintf(text, sizeof text, "%15.7E", double(value));
  }
  return text;
}

// Singles of every kind: around every power of ten and the turns between the two forms, ties,
// random bit patterns (subnormals, infinities and NaNs among them), and more of the magnitudes
// that storms give, 2^-30 to 2^45.
std::vector<float> sweepOfSingles() {
  std::vector<float> values;
  for (int exponent = -40; exponent <= 38; ++exponent) {
    for (const double mantissa : {1.0, 9.9999995, 9.999999, 5.0, 1.2345675}) {
      float value = float(mantissa * std::pow(10.0, exponent));
      for (int step = 0; step < 8; ++step) value = std::nextafter(value, 0.0f);
      for (int step = 0; step < 16; ++step) {
        values.push_back(value);
        value = std::nextafter(value, std::numeric_limits<float>::infinity());
      }
    }
  }
  for (const float tie : {1234567.5f, 1234568.5f, 12345675.0f, 0.5f, 2.5f, 16777215.0f}) {
    values.push_back(tie);
  }
  std::mt19937 generator(20240601);
  for (int i = 0; i < 100000; ++i) values.push_back(fromBits(std::uint32_t(generator())));
  for (int i = 0; i < 200000; ++i) {
    const auto exponent = std::uint32_t(97 + generator() % 76);
    values.push_back(fromBits((exponent << 23) | std::uint32_t(generator() & 0x7fffffu)));
  }
  return values;
}

TEST(FormatReal, AgreesWithPrintfAcrossTheSingleRange) {
  int differences = 0;
  for (const float value : sweepOfSingles()) {
    for (const float signedValue : {value, -value}) {
      const std::string expected = printfField(signedValue);
      std::string blanksRemoved;
      appendRealText(blanksRemoved, signedValue);
      const bool same = formatReal(signedValue) == expected &&
                        blanksRemoved == expected.substr(expected.find_first_not_of(' '),
                                                         expected.find_last_not_of(' ') + 1 -
                                                             expected.find_first_not_of(' '));
      if (!same && ++differences < 5) {
        ADD_FAILURE() << std::hexfloat << signedValue << ": " << formatReal(signedValue) << " / "
                      << blanksRemoved << " against " << expected;
      }
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST(FormatInteger, RightJustifiedInTwelve) {
  EXPECT_EQ(formatInteger(1), "           1");
  EXPECT_EQ(formatInteger(-2147483647 - 1), " -2147483648");
}

TEST(LayoutRecords, LeadingBlankAndCrLf) {
  EXPECT_EQ(layoutRecords({"REPORT"}), " REPORT\r\n");
  EXPECT_EQ(layoutRecords({" "}), "  \r\n");
  EXPECT_EQ(layoutRecords({"Density=", 1000.0f}), " Density=   1000.000    \r\n");
  EXPECT_EQ(layoutRecords({4.448703f}), "    4.448703    \r\n");
}

TEST(LayoutRecords, FourthRealOfAnEightyTwoCharacterStatementWraps) {
  const std::string records = layoutRecords({"##.##    ", std::int32_t{1}, 1.0f, 2.0f, 3.0f, 4.0f});
  EXPECT_EQ(records,
            " ##.##               1   1.000000       2.000000       3.000000    \r\n"
            "    4.000000    \r\n");
}

TEST(LayoutRecords, SeventySevenCharactersFitInOneRecord) {
  const std::string text(31, 'x');
  const std::string records = layoutRecords({text.c_str(), 1.0f, 2.0f, 3.0f});
  EXPECT_EQ(records.size(), 77u + 2u);
  EXPECT_EQ(records.find("\r\n"), 77u);
}

TEST(LayoutRecords, TextAfterANumberTakesABlankAndWrapsWhenItDoesNotFit) {
  EXPECT_EQ(layoutRecords({1.0f, "ab"}), "    1.000000     ab\r\n");
  const std::string text(70, 'y');
  EXPECT_EQ(layoutRecords({1.0f, text.c_str()}), "    1.000000    \r\n " + text + "\r\n");
}

TEST(LayoutRecords, TextLongerThanARecordIsCutIntoPieces) {
  const std::string text(100, 'z');
  EXPECT_EQ(layoutRecords({text.c_str()}),
            " " + std::string(79, 'z') + "\r\n " + std::string(21, 'z') + "\r\n");
}

TEST(WriteRecord, FailedWriteNamesTheUnitAndTheFile) {
  std::ostringstream sink;
  sink.setstate(std::ios::badbit);
  Destination report{&sink, -1, 41, "Output.out"};
  try {
    writeRecord(report, {"REPORT"});
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.message, "forrtl: severe (38): error during write, unit 41, file Output.out");
    EXPECT_NE(error.exitStatus, 0);
  }
}

}  // namespace

}  // namespace littoral
