#include "numerics.hpp"

#include <cfenv>
#include <cmath>

#include "math_error.hpp"

namespace littoral {
void setNumericEnvironment() {
  std::fesetround(FE_TONEAREST);
  std::fenv_t environment;
  std::feholdexcept(&environment);  // clears the flags and makes every exception non-stop
}

float computePi() { return toSingle(4.0 * checkedAtan(1.0)); }

double tanhExp(float x) {
  const double e1 = checkedExp(double(x));
  return tanhFromExps(e1, checkedExp(-double(x)));
}

bool tanhExpCanFail(float x) { return !(std::fabs(double(x)) <= kSafeExpArgument); }

double exceedance(float a, float b) {
  const double ratio = double(a) / double(b);
  return checkedExp(-(ratio * ratio));
}

double checkedSqrt(double x) {
  if (std::isnan(x) || x < 0) raiseMathError("sqrt", MathErrorKind::domain);
  return std::sqrt(x);
}

double checkedExp(double x) {
  if (std::isnan(x)) raiseMathError("exp", MathErrorKind::domain);
  const double result = std::exp(x);
  if (std::isinf(result) && !std::isinf(x)) raiseMathError("exp", MathErrorKind::overflow);
  return result;
}

double checkedSin(double x) {
  if (!std::isfinite(x)) raiseMathError("sin", MathErrorKind::domain);
  return std::sin(x);
}

double checkedCos(double x) {
  if (!std::isfinite(x)) raiseMathError("cos", MathErrorKind::domain);
  return std::cos(x);
}

double checkedAtan(double x) {
  if (!std::isfinite(x)) raiseMathError("atan", MathErrorKind::domain);
  return std::atan(x);
}

double realPower(double base, double exponent) { return std::pow(base, exponent); }

}  // namespace littoral
