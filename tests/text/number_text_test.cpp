#include "number_text.hpp"

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace littoral {
namespace {

// The number the C++ library reads from a decimal: correctly rounded, independent of the reader.
template <class Real>
Real libraryReading(const std::string& text) {
  Real value = 0;
  const std::size_t at = text[0] == '+' ? 1 : 0;
  std::from_chars(text.data() + at, text.data() + text.size(), value);
  return value;
}

// A plain decimal of these digits with `decimals` of them after the point.
std::string decimalText(const char* sign, std::uint64_t digits, int decimals) {
  std::string text = std::to_string(digits);
  if (decimals > 0) {
    if (int(text.size()) <= decimals) text.insert(0, std::size_t(decimals + 1) - text.size(), '0');
    text.insert(text.size() - std::size_t(decimals), ".");
  }
  return sign + text;
}

// Checks that the quick reader settles a text with the library's number, bit for bit.
template <class Real, class Bits>
void expectSettled(const std::string& text) {
  Real quick = -1;
  ASSERT_TRUE(readPlainDecimal(text, quick)) << text;
  ASSERT_EQ(std::bit_cast<Bits>(quick), std::bit_cast<Bits>(libraryReading<Real>(text))) << text;
}

// The quick reader settles every plain decimal of 2^24 or fewer digits and up to 10 decimals
// with the library's single, and of 2^53 and 22 with its double: random digits, the ends of the
// exact integers, every sign.
TEST(PlainDecimal, SettlesWithTheLibrarysNumber) {
  std::mt19937_64 random(20261207);
  const char* signs[] = {"-", "", "+"};
  for (int i = 0; i < 1'000'000; ++i) {
    const char* sign = signs[i % 3];
    expectSettled<float, std::uint32_t>(
        decimalText(sign, random() % ((1u << 24) + 1), int(random() % 11)));
    expectSettled<double, std::uint64_t>(
        decimalText(sign, random() % ((std::uint64_t(1) << 53) + 1), int(random() % 23)));
  }
  for (int decimals = 0; decimals <= 10; ++decimals) {
    for (const std::uint64_t digits : {0u, 1u, 9u, 16777215u, 16777216u}) {
      expectSettled<float, std::uint32_t>(decimalText("", digits, decimals));
      expectSettled<float, std::uint32_t>(decimalText("-", digits, decimals));
    }
  }
  for (const char* text : {".5", "5.", "-0", "+0.", "007.250", "0.0000000001"}) {
    expectSettled<float, std::uint32_t>(text);
    expectSettled<double, std::uint64_t>(text);
  }
  for (const char* text :
       {"9007199254740992", "0.0009007199254740992", "0.0000000000000000000001"}) {
    expectSettled<double, std::uint64_t>(text);
  }
}

// Anything else goes to the general reader (whose readings the storm columns' tests check).
TEST(PlainDecimal, DeclinesWhatItCannotReadExactly) {
  for (const char* text : {"16777217", "1.00000000000", "1e5", "1.5D1", "", ".", "-", "+-1",
                           "1.2.3", " 1", "1 ", "0x10", "inf", "nan", "1,5"}) {
    float value = 42;
    EXPECT_FALSE(readPlainDecimal(text, value)) << text;
    EXPECT_EQ(value, 42) << text;
  }
  double wide = 42;
  EXPECT_FALSE(readPlainDecimal("9007199254740993", wide));
  EXPECT_FALSE(readPlainDecimal("1.00000000000000000000000", wide));
  EXPECT_EQ(wide, 42);
}

}  // namespace
}  // namespace littoral
