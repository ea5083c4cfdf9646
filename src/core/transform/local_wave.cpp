#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
double shoalLocalTangent(CaseState& state) {
  state.localHeight = toSingle(double(state.ksLocal) * double(state.deepHeight));
  const float localSine =
      toSingle(double(state.localCelerity) / double(state.co) * double(state.so));
  return tangentOfSine(localSine);
}

float computeLocalAngle(CaseState& state, const TrigValue& atanOfTangent) {
  const float localAngle = storeTrig(atanOfTangent, toSingle);
  state.localAngleDegrees = toSingle(double(localAngle) * 180 / double(state.pi));
  return localAngle;
}

float computeLocalHeight(CaseState& state, const TrigValue& cosLocalAngle) {
  const float krLocal = storeTrig(cosLocalAngle, [&](double cosine) {
    return toSingle(checkedSqrt(double(state.cosAor) / cosine));
  });
  state.localHeight = toSingle(double(krLocal) * double(state.localHeight));
  return krLocal;
}

}  // namespace littoral
