#include "numerics.hpp"

#include <cmath>
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
  EXPECT_EQ(mathErrorOf([] { checkedSin(kInfinity); }), "math error 6201: sin: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedCos(kNaN); }), "math error 6201: cos: DOMAIN error");
  EXPECT_EQ(mathErrorOf([] { checkedAtan(-kInfinity); }), "math error 6201: atan: DOMAIN error");
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

}  // namespace

}  // namespace littoral
