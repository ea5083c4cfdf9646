#pragma once

// Numeric helpers shared by the stages.
//
// Every stored value is a single; every expression is worked in double. A store is written
// toSingle(expression), and a decimal constant enters an expression as the double of its
// single-precision value, spelled double(0.78f).

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "exp_lanes.hpp"
#include "math_error.hpp"

namespace littoral {

// Rounds a double result to the single that is stored.
constexpr float toSingle(double value) { return static_cast<float>(value); }

// Masks every floating-point exception and rounds to nearest, so that inline arithmetic yields
// infinities and NaNs instead of stopping the run.
void setNumericEnvironment();

// 4 atan(1), rounded to single: 3.1415927.
float computePi();

// tanhExp(x) from exp(x) and exp(-x) worked out elsewhere, with the same bits.
inline double tanhFromExps(double expX, double expMinusX) {
  const float e1 = toSingle(expX);
  return (double(e1) - expMinusX) / (double(e1) + expMinusX);
}

// An argument of at most this size, and not a NaN, gives checkedExp a finite result: it cannot
// fail.
inline constexpr double kSafeExpArgument = 709;

// Whether tanhExp(x) could end the run with a math error (a NaN, or an exp that overflows).
bool tanhExpCanFail(float x);

// Library functions that end the run with a math error on a bad argument or result; inline, as
// the stages call them many times a storm.
inline double checkedSqrt(double x) {  // DOMAIN for a negative or NaN argument
  if (std::isnan(x) || x < 0) raiseMathError("sqrt", MathErrorKind::domain);
  return std::sqrt(x);
}
inline double checkedExp(double x) {  // DOMAIN for NaN, OVERFLOW beyond the double range
  if (std::isnan(x)) raiseMathError("exp", MathErrorKind::domain);
  const double result = expOf(x);
  if (std::isinf(result) && !std::isinf(x)) raiseMathError("exp", MathErrorKind::overflow);
  return result;
}
enum class Trig { sin, cos, atan };

// sin, cos or atan of x: DOMAIN for NaN or infinity.
inline double checkedTrig(Trig function, double x) {
  switch (function) {
    case Trig::sin:
      if (!std::isfinite(x)) raiseMathError("sin", MathErrorKind::domain);
      return std::sin(x);
    case Trig::cos:
      if (!std::isfinite(x)) raiseMathError("cos", MathErrorKind::domain);
      return std::cos(x);
    case Trig::atan:
      if (!std::isfinite(x)) raiseMathError("atan", MathErrorKind::domain);
      return std::atan(x);
  }
  return x;
}

// A value known to lie from low to high.
struct ValueBounds {
  double low = 0;
  double high = 0;
  bool hold(double value) const { return low <= value && value <= high; }
};

// The single that store gives at both bounds of a value, when it gives the same one there and it
// is no NaN: for a store that never decreases, or never increases, as the value grows, the
// single it gives for any value within the bounds.
template <class Store>
std::optional<float> storedAtBothBounds(const ValueBounds& bounds, Store store) {
  const float low = store(bounds.low);
  const float high = store(bounds.high);
  if (std::bit_cast<std::uint32_t>(low) != std::bit_cast<std::uint32_t>(high) || std::isnan(low)) {
    return std::nullopt;
  }
  return low;
}

// The margin either side of a sin, cos or atan value of the vector library (trig_lanes.hpp),
// relative to it: the vector value is within 4 units in the last place of the true value and
// the library's scalar value within 1, together below 2^-49.
inline constexpr double kTrigLaneMargin = 0x1p-46;

// Bounds that hold the library's value where the vector library gave `laneValue`.
inline ValueBounds boundsAroundLaneValue(double laneValue) {
  const double margin = std::fabs(laneValue) * kTrigLaneMargin;
  return {laneValue - margin, laneValue + margin};
}

// A step's sin, cos or atan of x, to be stored by a later step, and the vector library's value
// of it where one was worked out in the meantime for many storms at once (NaN where none was).
struct TrigValue {
  Trig function = Trig::sin;
  double x = 0;
  double laneValue = std::numeric_limits<double>::quiet_NaN();
};

// store(checkedTrig(function, x)) for a store that never decreases, or never increases, over
// values of one sign (products by fixed factors, squares, quotients, rounded to single): from
// the bounds around the vector library's value where they store to one single, else from the
// library, which also raises the math error of a bad x there.
template <class Store>
float storeTrig(const TrigValue& value, Store store) {
  if (!std::isnan(value.laneValue)) {
    const ValueBounds bounds = boundsAroundLaneValue(value.laneValue);
    if (const std::optional<float> stored = storedAtBothBounds(bounds, store)) return *stored;
  }
  return store(checkedTrig(value.function, value.x));
}

// Hyperbolic tangent from two exponentials, the first rounded to single: (e1 - e2) / (e1 + e2).
// NaN once e^x exceeds the single range (x above about 88.72).
inline double tanhExp(float x) {
  const double e1 = checkedExp(double(x));
  return tanhFromExps(e1, checkedExp(-double(x)));
}

// Rayleigh exceedance exp(-(a/b)^2) of height a for the scale height b.
inline double exceedance(float a, float b) {
  const double ratio = double(a) / double(b);
  return checkedExp(-(ratio * ratio));
}

// x^y that never stops the run: a negative base with a non-integer exponent is a NaN.
inline double realPower(double base, double exponent) { return std::pow(base, exponent); }

// The exponents 1/4, 3/8, 3/4, 3/2 and 5/2, whose powers of a single are worked from square
// roots.
enum class RootPower { quarter, threeEighths, threeQuarters, threeHalves, twoAndAHalf };

inline double exponentOf(RootPower power) {
  switch (power) {
    case RootPower::quarter:
      return 0.25;
    case RootPower::threeEighths:
      return 0.375;
    case RootPower::threeQuarters:
      return 0.75;
    case RootPower::threeHalves:
      return 1.5;
    case RootPower::twoAndAHalf:
      return 2.5;
  }
  return 0;
}

// The margin either side of a power worked from square roots, relative to it (boundRootPower).
inline constexpr double kRootPowerMargin = 0x1p-48;

// Bounds that hold realPower(base, exponentOf(power)) for a base that is a positive, finite
// single. The power is worked from square roots, which are correctly rounded, and from exact
// or rounded products, so it lies within 2^-50 of the true power in relative terms; the
// library's pow lies within about 2^-53 of it; the bounds are 2^-48 either side
// (littoral_power_check shows, over every positive single, that they hold the library's power).
inline ValueBounds boundRootPower(float base, RootPower power) {
  const double x = double(base);
  const double root = std::sqrt(x);
  double estimate = 0;
  switch (power) {
    case RootPower::quarter:
      estimate = std::sqrt(root);
      break;
    case RootPower::threeEighths: {
      const double quarter = std::sqrt(root);
      estimate = quarter * std::sqrt(quarter);
      break;
    }
    case RootPower::threeQuarters:
      estimate = root * std::sqrt(root);
      break;
    case RootPower::threeHalves:
      estimate = x * root;
      break;
    case RootPower::twoAndAHalf:
      estimate = x * x * root;  // the square of a single is exact
      break;
  }
  return {estimate * (1 - kRootPowerMargin), estimate * (1 + kRootPowerMargin)};
}

// store(realPower(base, exponentOf(power))), for a store that never decreases, or never
// increases, as the power grows (products by fixed factors, rounded to single). Where the store
// gives the same single at both bounds of the power, that single is the one the library's power
// gives, and no pow is called; else, rarely (about once in 10^7), the library's power is stored.
template <class Store>
float storeRootPower(float base, RootPower power, Store store) {
  if (base > 0 && base <= std::numeric_limits<float>::max()) {
    if (const std::optional<float> stored =
            storedAtBothBounds(boundRootPower(base, power), store)) {
      return *stored;
    }
  }
  return store(realPower(double(base), exponentOf(power)));
}

// Replaces the value by the bound when, and only when, it is greater; a NaN is never replaced.
inline void limitTo(float& value, float bound) {
  if (value > bound) value = bound;
}

}  // namespace littoral
