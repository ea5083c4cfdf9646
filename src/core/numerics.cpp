#include "numerics.hpp"

#include <cfenv>
#include <cmath>

namespace littoral {
void setNumericEnvironment() {
  std::fesetround(FE_TONEAREST);
  std::fenv_t environment;
  std::feholdexcept(&environment);  // clears the flags and makes every exception non-stop
}

float computePi() { return toSingle(4.0 * checkedTrig(Trig::atan, 1.0)); }

bool tanhExpCanFail(float x) { return !(std::fabs(double(x)) <= kSafeExpArgument); }

}  // namespace littoral
