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

std::string native(float value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string compat(float value) {
  char text[64];
  return std::string(text, littoral_compat::writeShortest(text, text + sizeof text, value).ptr);
}

// Random singles, a sweep of every exponent (powers of two among them, where the decimal next
// to the nearest one can be the shortest), and the values of the table's edges.
TEST(ShortestFloat, AgreesWithTheNativeLibrary) {
  std::mt19937 generator(7);
  int differences = 0;
  const auto check = [&](float value) {
    if (native(value) != compat(value) && ++differences < 5) {
      ADD_FAILURE() << std::hexfloat << value << ": " << native(value) << " vs " << compat(value);
    }
  };
  for (int i = 0; i < 300000; ++i) check(std::bit_cast<float>(std::uint32_t(generator())));
  for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
    for (std::uint32_t mantissa = 0; mantissa < 400; ++mantissa) {
      check(std::bit_cast<float>((exponent << 23) | (mantissa * 20981u % 0x800000u)));
    }
  }
  for (const float value : {9.81f, 1e-30f, 1e6f, 123456.0f, 16777216.0f, 0.1f, -5.0f, -0.0f}) {
    check(value);
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace

}  // namespace littoral
