// The page's shortest decimal of a single, which its C++ library lacks, against the native
// library's to_chars: the table's texts on the page must be the command's.
#include "shortest_float.hpp"

#include <bit>
#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace littoral {
namespace {

template <class Real>
std::string native(Real value) {
  char text[400];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

template <class Real>
std::string compat(Real value) {
  char text[400];
  return std::string(text, littoral_compat::writeShortest(text, text + sizeof text, value).ptr);
}

// Counts the values whose two texts differ, and shows the first few.
struct Comparison {
  int differences = 0;
  template <class Real>
  void operator()(Real value) {
    if (native(value) != compat(value) && ++differences < 5) {
      ADD_FAILURE() << std::hexfloat << value << ": " << native(value) << " vs " << compat(value);
    }
  }
};

// Random singles, a sweep of every exponent (powers of two among them, where the decimal next
// to the nearest one can be the shortest), and the values of the table's edges; then the same
// for doubles, which a frame's numbers are quoted as in messages.
TEST(ShortestFloat, AgreesWithTheNativeLibrary) {
  std::mt19937_64 generator(7);
  Comparison check;
  for (int i = 0; i < 300000; ++i) check(std::bit_cast<float>(std::uint32_t(generator())));
  for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
    for (std::uint32_t mantissa = 0; mantissa < 400; ++mantissa) {
      check(std::bit_cast<float>((exponent << 23) | (mantissa * 20981u % 0x800000u)));
    }
  }
  for (const float value : {9.81f, 1e-30f, 1e6f, 123456.0f, 16777216.0f, 0.1f, -5.0f, -0.0f}) {
    check(value);
  }
  for (int i = 0; i < 100000; ++i) check(std::bit_cast<double>(generator()));
  for (std::uint64_t exponent = 0; exponent < 2048; ++exponent) {
    for (const std::uint64_t mantissa : {0ull, 1ull, 0xfffffffffffffull}) {
      check(std::bit_cast<double>((exponent << 52) | mantissa));
    }
  }
  for (const double value : {9.81, 0.1, 1e23, 5e-324, 1.7976931348623157e308, -0.0}) check(value);
  EXPECT_EQ(check.differences, 0);
}

}  // namespace

}  // namespace littoral
