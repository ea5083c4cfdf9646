#include "numerics.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

#include "math_error.hpp"
#include "records.hpp"

namespace littoral {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

// A double result rounded to seven significant digits.
std::string sevenDigits(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", value);
  return buffer;
}

std::string mathErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const MathError& error) {
    return error.message;
  }
  return "";
}

TEST(Pi, IsFourArcTangentsOfOneAsASingle) {
  EXPECT_EQ(computePi(), static_cast<float>(std::numbers::pi));
  EXPECT_EQ(formatReal(computePi()), "   3.141593    ");
}

TEST(TanhExp, ValuesAtSevenDigits) {
  EXPECT_EQ(tanhExp(0.0f), 0.0);
  // The first exponential is rounded to single, so the seventh digit differs from tanh(1).
  EXPECT_EQ(sevenDigits(tanhExp(1.0f)), "0.7615941");
  EXPECT_EQ(sevenDigits(std::tanh(1.0)), "0.7615942");
  EXPECT_TRUE(std::isnan(tanhExp(100.0f)));
  EXPECT_EQ(tanhExp(-100.0f), -1.0);
}

TEST(TanhExp, OverflowOfTheExponentialEndsTheRun) {
  EXPECT_EQ(mathErrorOf([] { tanhExp(800.0f); }), "math error 6203: exp: OVERFLOW error");
}

TEST(Exceedance, RayleighAtTheScaleHeightAndAtZero) {
  EXPECT_EQ(sevenDigits(exceedance(2.5f, 2.5f)), "0.3678794");
  EXPECT_EQ(exceedance(0.0f, 2.5f), 1.0);
}

TEST(CheckedFunctions, DomainErrors) {
  EXPECT_EQ(mathErrorOf([] { checkedSqrt(-1.0); }), "math error 6201: sqrt: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedSqrt(kNaN); }), "math error 6201: sqrt: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedExp(kNaN); }), "math error 6201: exp: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedTrig(Trig::sin, kInfinity); }),
            "math error 6201: sin: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedTrig(Trig::cos, kNaN); }),
            "math error 6201: cos: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedTrig(Trig::atan, -kInfinity); }),
            "math error 6201: atan: DOMAIN error");
}

TEST(CheckedFunctions, InfiniteArgumentsAndUnderflowAreNoError) {
  EXPECT_EQ(checkedSqrt(kInfinity), kInfinity);
  EXPECT_EQ(checkedExp(kInfinity), kInfinity);
  EXPECT_EQ(checkedExp(-kInfinity), 0.0);
  EXPECT_EQ(checkedExp(-1000.0), 0.0);
  EXPECT_EQ(checkedSqrt(-0.0), 0.0);
}

TEST(RealPower, NeverStopsTheRun) {
  EXPECT_TRUE(std::isnan(realPower(-20.0, double(1.23f))));
  EXPECT_EQ(realPower(0.0, double(1.23f)), 0.0);
  EXPECT_EQ(realPower(4.0, 0.5), 2.0);
}

// The root-worked power stores the library power's single: on ordinary and extreme bases,
// and, where the rounding is uncertain, by calling the library.
TEST(RootPower, StoresTheLibraryPowersSingle) {
  const RootPower powers[] = {RootPower::quarter, RootPower::threeEighths, RootPower::threeQuarters,
                              RootPower::twoAndAHalf};
  const float bases[] = {0.3f,
                         1.0f,
                         2.0f,
                         7.77f,
                         1234.5f,
                         1e-45f,
                         1.2e-38f,
                         3e38f,
                         0.0f,
                         -0.0f,
                         -2.0f,
                         std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()};
  const auto scaled = [](double power) { return toSingle(power * double(0.53f)); };
  for (const RootPower power : powers) {
    for (const float base : bases) {
      const float expected = scaled(realPower(double(base), exponentOf(power)));
      const float stored = storeRootPower(base, power, scaled);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(stored), std::bit_cast<std::uint32_t>(expected))
          << base << " ^ " << exponentOf(power);
    }
  }
  // A store that changes within the bounds leaves the power to the library.
  const double library = realPower(5.0, 2.5);
  const auto step = [&](double power) { return power < library ? 0.0f : 1.0f; };
  EXPECT_EQ(storeRootPower(5.0f, RootPower::twoAndAHalf, step), 1.0f);
  EXPECT_EQ(step(boundRootPower(5.0f, RootPower::twoAndAHalf).low), 0.0f);
}

}  // namespace

}  // namespace littoral
