#pragma once

// Numeric helpers shared by the stages.
//
// Every stored value is a single; every expression is worked in double. A store is written
// toSingle(expression), and a decimal constant enters an expression as the double of its
// single-precision value, spelled double(0.78f).

#include <cmath>

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
  const double result = std::exp(x);
  if (std::isinf(result) && !std::isinf(x)) raiseMathError("exp", MathErrorKind::overflow);
  return result;
}
inline double checkedSin(double x) {  // DOMAIN for NaN or infinity
  if (!std::isfinite(x)) raiseMathError("sin", MathErrorKind::domain);
  return std::sin(x);
}
inline double checkedCos(double x) {  // DOMAIN for NaN or infinity
  if (!std::isfinite(x)) raiseMathError("cos", MathErrorKind::domain);
  return std::cos(x);
}
inline double checkedAtan(double x) {  // DOMAIN for NaN or infinity
  if (!std::isfinite(x)) raiseMathError("atan", MathErrorKind::domain);
  return std::atan(x);
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

// Replaces the value by the bound when, and only when, it is greater; a NaN is never replaced.
inline void limitTo(float& value, float bound) {
  if (value > bound) value = bound;
}

}  // namespace littoral
