#include <cmath>

#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
OffshoreWave capOffshoreWave(CaseState& state) {
  OffshoreWave wave{};
  wave.capped = state.hs > state.breakLimitHeight;
  limitTo(state.hs, state.breakLimitHeight);
  state.offshoreBreakLimit = state.breakLimitHeight;
  wave.deepHeightUnrefracted = toSingle(double(state.hs) / double(state.ks));
  state.c1 = toSingle(double(state.l1) / double(state.ts));
  wave.surfDepth = toSingle(double(wave.deepHeightUnrefracted) / double(0.78f));
  return wave;
}

void setLocalDepth(CaseState& state) {
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
}

void convertOffshoreAngle(CaseState& state) {
  state.alpha = toSingle(double(state.pi) * double(state.alpha) / 180);
}

OffshoreAngle refractOffshoreAngle(CaseState& state, const TrigValue& sinAlpha,
                                   const TrigValue& cosAlpha) {
  OffshoreAngle angle{};
  angle.s1 = storeTrig(sinAlpha, toSingle);
  angle.cosAlpha = storeTrig(cosAlpha, toSingle);
  state.so = toSingle(double(angle.s1) * (double(state.co) / double(state.c1)));
  angle.clamped = std::fabs(state.so) >= 1;
  if (angle.clamped) state.so = 0.99f;
  return angle;
}

double tangentOfSine(float sine) {
  const double s = double(sine);
  return s / checkedSqrt(1 - s * s);
}

float computeDeepAngle(CaseState& state, const TrigValue& atanOfTangent) {
  state.aor = storeTrig(atanOfTangent, toSingle);
  return toSingle(double(state.aor) * 180 / double(state.pi));
}

void computeDeepHeight(CaseState& state, const OffshoreAngle& angle, const OffshoreWave& wave,
                       const TrigValue& cosAor) {
  state.cosAor = storeTrig(cosAor, toSingle);
  state.kr = toSingle(checkedSqrt(double(state.cosAor) / double(angle.cosAlpha)));
  state.deepHeight = toSingle(double(wave.deepHeightUnrefracted) / double(state.kr));
}

}  // namespace littoral
