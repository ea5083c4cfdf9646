#include "real_text.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "littoral/storm.hpp"

namespace littoral {
namespace {

std::string quickText(float value) {
  char text[kRealTextSize];
  const char* end = writeRealTextQuickly(text, value);
  return end == nullptr ? std::string() : std::string(static_cast<const char*>(text), end);
}

std::string exactText(float value) {
  char text[kRealTextSize];
  const char* end = writeRealTextExactly(text, value);
  return std::string(static_cast<const char*>(text), end);
}

float fromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

// Checks the quick way against the exact way on a value and its negative; counts those it
// settles.
struct QuickCheck {
  int settled = 0;
  int tried = 0;
  void operator()(float value) {
    for (const float signedValue : {value, -value}) {
      ++tried;
      const std::string quick = quickText(signedValue);
      if (quick.empty()) continue;
      ++settled;
      ASSERT_EQ(quick, exactText(signedValue)) << std::hexfloat << signedValue;
    }
  }
};

// The quick way never differs from the exact way: random singles of magnitudes 2^-30 to 2^45,
// and the neighbours of the powers of ten and of half-way digits, where its margin is tightest.
TEST(RealTextQuickly, AgreesWithTheExactWayWhereverItSettles) {
  std::mt19937 generator(1971);
  QuickCheck check;
  for (int i = 0; i < 500000; ++i) {
    const auto exponent = std::uint32_t(97 + generator() % 76);
    check(fromBits((exponent << 23) | std::uint32_t(generator() & 0x7fffffu)));
  }
  for (int decade = -9; decade <= 13; ++decade) {
    for (const double mantissa : {1.0, 9.9999995, 1.2345675, 5.0000005}) {
      float value = float(mantissa * std::pow(10.0, decade));
      for (int step = 0; step < 64; ++step) value = std::nextafter(value, 0.0f);
      for (int step = 0; step < 128; ++step, value = std::nextafter(value, INFINITY)) {
        check(value);
      }
    }
  }
  EXPECT_GT(check.settled, check.tried / 2);
}

// ... and settles nearly every value that storms give, so that it is the way the tables take.
TEST(RealTextQuickly, SettlesNearlyEveryValueOfRandomStorms) {
  std::mt19937 generator(1984);
  std::uniform_real_distribution<float> unit(0, 1);
  QuickCheck check;
  for (int i = 0; i < 5000; ++i) {
    StormAnswers answers;
    answers.g = unit(generator) < 0.5f ? 9.81f : 32.2f;
    answers.depth = 2 + 50 * unit(generator);
    answers.fetchUnit = 1 + std::int32_t(generator() % 5);
    answers.fetch = 1 + 200 * unit(generator);
    answers.speedUnit = 1 + std::int32_t(generator() % 5);
    answers.windSpeed = 5 + 50 * unit(generator);
    answers.durationHours = 0.5f + 12 * unit(generator);
    answers.rt = answers.rl = 1;
    answers.localDepth = 1 + 10 * unit(generator);
    answers.angleDegrees = 120 * unit(generator) - 60;
    answers.settlingVelocity = 0.5f + 8 * unit(generator);
    const StormValues values = runStorm(answers);
    for (std::size_t v = 0; v < kStormValueCount; ++v) {
      if (values.present[v] && values.values[v] != 0) check(values.values[v]);
    }
  }
  EXPECT_GT(check.settled, check.tried / 100 * 99) << check.settled << " of " << check.tried;
}

// Outside its range the quick way declines rather than guessing.
TEST(RealTextQuickly, DeclinesSubnormalsNonFiniteValuesAndScalesBeyondExactPowers) {
  for (const float value : {fromBits(1), fromBits(0x007fffffu), INFINITY, NAN, 1e-30f, 3e38f}) {
    EXPECT_EQ(quickText(value), "") << std::hexfloat << value;
  }
  EXPECT_EQ(exactText(1e-30f), "1.0000000E-30");
  EXPECT_EQ(exactText(fromBits(1)), "1.4012985E-45");
}

}  // namespace

}  // namespace littoral

namespace littoral {
namespace {

// The rough text's quick way gives printf's %.4g (as std::to_chars general with precision 4
// writes it) wherever it settles, and settles nearly everywhere: random doubles from 1e-18 to
// 1e24, both signs, and the neighbours of half-way fourth digits and of the powers of ten.
TEST(RoughText, QuickWayIsPrintfsFourDigitsWhereverItSettles) {
  std::mt19937_64 random(7);
  std::vector<double> values;
  std::uniform_real_distribution<double> decade(-18, 24);
  for (int i = 0; i < 300000; ++i) values.push_back(std::pow(10.0, decade(random)));
  for (int power = -18; power <= 23; ++power) {
    for (const double mantissa : {1.0, 9.9995, 1.2345, 5.0005, 0.99995}) {
      double value = mantissa * std::pow(10.0, power);
      for (int step = 0; step < 8; ++step) value = std::nextafter(value, 0.0);
      for (int step = 0; step < 16; ++step, value = std::nextafter(value, INFINITY)) {
        values.push_back(value);
      }
    }
  }
  std::size_t settled = 0;
  for (const double value : values) {
    for (const double signedValue : {value, -value}) {
      char quick[kRoughTextSize];
      char exact[kRoughTextSize];
      const char* quickEnd = writeRoughTextQuickly(quick, signedValue);
      if (quickEnd == nullptr) continue;
      ++settled;
      const char* exactEnd =
          std::to_chars(exact, exact + kRoughTextSize, signedValue, std::chars_format::general, 4)
              .ptr;
      ASSERT_EQ(std::string(static_cast<const char*>(quick), quickEnd),
                std::string(static_cast<const char*>(exact), exactEnd))
          << std::hexfloat << signedValue;
    }
  }
  EXPECT_GT(double(settled), 0.99 * 2 * double(values.size()));
}

}  // namespace
}  // namespace littoral
