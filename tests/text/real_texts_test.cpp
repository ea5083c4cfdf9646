#include "real_texts.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace littoral {
namespace {

std::string slotText(const RealTexts& texts, std::size_t i) {
  return std::string(texts.text[i].data(), texts.length[i]);
}

// Each side-by-side way that runs here writes every real as the one-at-a-time way: random bit
// patterns of every kind, the neighbours of each decade's ends and of half-way seventh digits,
// zeros, subnormals, the ends of the range, infinities and NaN, in every lane position and a
// last part of fewer than eight and four.
TEST(RealTexts, SideBySideAsOneAtATime) {
  if (!runsRealTextWay(RealTextWay::avx2)) GTEST_SKIP() << "this processor has no AVX2";
  std::vector<float> values = {0.0f,     -0.0f,        FLT_MIN,  -FLT_MIN,   FLT_MAX,
                               -FLT_MAX, FLT_TRUE_MIN, INFINITY, -INFINITY,  NAN,
                               0.1f,     0.099999994f, 1e7f,     9999999.0f, 1e-30f};
  std::mt19937 random(2026);
  for (int i = 0; i < 400000; ++i) values.push_back(std::bit_cast<float>(std::uint32_t(random())));
  for (int decade = -12; decade <= 12; ++decade) {
    for (const double mantissa : {1.0, 9.9999995, 1.2345675, 5.0000005}) {
      float value = float(mantissa * std::pow(10.0, decade));
      for (int step = 0; step < 16; ++step) value = std::nextafter(value, 0.0f);
      for (int step = 0; step < 32; ++step, value = std::nextafter(value, INFINITY)) {
        values.push_back(value);
        values.push_back(-value);
      }
    }
  }
  RealTexts sideBySide;
  RealTexts oneAtATime;
  for (std::size_t first = 0; first < values.size(); first += kMaxRealTexts - 3) {
    const std::size_t count = std::min(kMaxRealTexts - 3, values.size() - first);
    writeRealTexts(values.data() + first, count, oneAtATime, RealTextWay::oneAtATime);
    for (const RealTextWay way : {RealTextWay::avx2, RealTextWay::avx512}) {
      if (!runsRealTextWay(way)) continue;
      writeRealTexts(values.data() + first, count, sideBySide, way);
      for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(slotText(sideBySide, i), slotText(oneAtATime, i))
            << int(way) << " " << std::hexfloat << values[first + i];
      }
    }
  }
}

}  // namespace
}  // namespace littoral
