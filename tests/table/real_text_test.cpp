#include "real_text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "records.hpp"

namespace {

// The record's text of the value without its blanks: what a column must hold.
std::string recordText(float value) {
  std::string text;
  for (const char c : formatReal(value)) {
    if (c != ' ') text += c;
  }
  return text;
}

std::string columnText(float value) {
  std::string text;
  appendRealText(text, value);
  return text;
}

TEST(RealText, WorkedExamples) {
  const std::pair<float, const char*> cases[] = {
      {1000.0f, "1000.000"},
      {1234567.0f, "1234567."},
      {0.5f, "0.5000000"},
      {0.1f, "0.1000000"},
      {0.099999994f, "9.9999994E-02"},
      {10000000.0f, "1.0000000E+07"},
      {-0.0f, "0.0000000E+00"},
      {-2.161426f, "-2.161426"},
      {0.026506891f, "2.6506891E-02"},
      {std::numeric_limits<float>::quiet_NaN(), "NaN"},
      {-std::numeric_limits<float>::infinity(), "-Infinity"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(columnText(value), text) << value;
}

// Every kind of real gives the record's text: the column is never worded on its own.
TEST(RealText, SameTextAsTheRecord) {
  std::vector<float> values;
  // Around every power of ten and the turns between the fixed and exponent forms.
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
  // Halfway cases, which round to even.
  for (const float tie : {1234567.5f, 1234568.5f, 12345675.0f, 0.5f, 2.5f, 16777215.0f}) {
    values.push_back(tie);
  }
  // Random bit patterns: every exponent, subnormals, infinities and NaNs among them; and more
  // of the magnitudes that storms give, 2^-30 to 2^45.
  std::mt19937 generator(20240601);
  for (int i = 0; i < 300000; ++i) {
    values.push_back(std::bit_cast<float>(std::uint32_t(generator())));
  }
  for (int i = 0; i < 700000; ++i) {
    const auto exponent = std::uint32_t(97 + generator() % 76);
    values.push_back(
        std::bit_cast<float>((exponent << 23) | std::uint32_t(generator() & 0x7fffffu)));
  }
  int mismatches = 0;
  for (const float value : values) {
    for (const float signedValue : {value, -value}) {
      const std::string expected = recordText(signedValue);
      if (columnText(signedValue) == expected) continue;
      if (++mismatches <= 10) {
        ADD_FAILURE() << std::hexfloat << signedValue << ": " << columnText(signedValue)
                      << " instead of " << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
