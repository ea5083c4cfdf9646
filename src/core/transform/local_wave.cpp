#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
float computeLocalAngle(CaseState& state) {
  state.localHeight = toSingle(double(state.ksLocal) * double(state.deepHeight));
  const float localSine =
      toSingle(double(state.localCelerity) / double(state.co) * double(state.so));
  const double sine = double(localSine);
  const float localAngle = toSingle(checkedAtan(sine / checkedSqrt(1 - sine * sine)));
  state.localAngleDegrees = toSingle(double(localAngle) * 180 / double(state.pi));
  return localAngle;
}

float computeLocalHeight(CaseState& state, float localAngle) {
  const float krLocal =
      toSingle(checkedSqrt(double(state.cosAor) / checkedCos(double(localAngle))));
  state.localHeight = toSingle(double(krLocal) * double(state.localHeight));
  return krLocal;
}

}  // namespace littoral
