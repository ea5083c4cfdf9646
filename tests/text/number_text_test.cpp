#include "number_text.hpp"

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace littoral {
namespace {

// The single the C++ library reads from a decimal: correctly rounded, independent of the reader.
float libraryReading(const std::string& text) {
  float value = 0;
  const std::size_t at = text[0] == '+' ? 1 : 0;
  std::from_chars(text.data() + at, text.data() + text.size(), value);
  return value;
}

// A plain decimal of these digits with `decimals` of them after the point.
std::string decimalText(const char* sign, std::uint32_t digits, int decimals) {
  std::string text = std::to_string(digits);
  if (decimals > 0) {
    if (int(text.size()) <= decimals) text.insert(0, std::size_t(decimals + 1) - text.size(), '0');
    text.insert(text.size() - std::size_t(decimals), ".");
  }
  return sign + text;
}

// The quick reader settles every plain decimal of 2^24 or fewer digits and up to 10 decimals,
// with the library's single: random digits, the ends of the exact integers, every sign.
TEST(PlainDecimal, SettlesWithTheLibrarysSingle) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::uint32_t> anyDigits(0, 1u << 24);
  std::uniform_int_distribution<int> anyDecimals(0, 10);
  auto check = [](const std::string& text) {
    float quick = -1;
    ASSERT_TRUE(readPlainDecimal(text, quick)) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(quick),
              std::bit_cast<std::uint32_t>(libraryReading(text)))
        << text;
  };
  for (int i = 0; i < 2'000'000; ++i) {
    check(decimalText(i % 3 == 0   ? "-"
                      : i % 3 == 1 ? ""
                                   : "+",
                      anyDigits(random), anyDecimals(random)));
  }
  for (const std::uint32_t digits : {0u, 1u, 9u, 16777215u, 16777216u}) {
    for (int decimals = 0; decimals <= 10; ++decimals) {
      check(decimalText("", digits, decimals));
      check(decimalText("-", digits, decimals));
    }
  }
  for (const char* text : {".5", "5.", "-0", "+0.", "007.250", "0.0000000001"}) check(text);
}

// Anything else goes to the general reader, which gives the same numbers and refusals as ever.
TEST(PlainDecimal, DeclinesWhatItCannotReadExactly) {
  for (const char* text : {"16777217", "1.00000000000", "1e5", "1.5D1", "", ".", "-", "+-1",
                           "1.2.3", " 1", "1 ", "0x10", "inf", "nan", "1,5"}) {
    float value = 42;
    EXPECT_FALSE(readPlainDecimal(text, value)) << text;
    EXPECT_EQ(value, 42) << text;
  }
  float value = 0;
  EXPECT_EQ(readRealText("16777217", value), NumberReading::number);
  EXPECT_EQ(value, 16777216.0f);
  EXPECT_EQ(readRealText("1.5D1", value), NumberReading::number);
  EXPECT_EQ(value, 15.0f);
  EXPECT_EQ(readRealText("1e39", value), NumberReading::outOfRange);
  EXPECT_EQ(readRealText("1.2.3", value), NumberReading::notNumber);
}

}  // namespace
}  // namespace littoral
