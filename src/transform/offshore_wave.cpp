#include <cmath>

#include "console_input.hpp"
#include "numerics.hpp"
#include "records.hpp"
#include "transform.hpp"

namespace {

// The deep-water height before refraction, hs / ks, after capping hs at the breaking limit.
float capOffshoreWave(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"ks =", state.ks});
  limitTo(state.hs, state.breakLimitHeight);
  state.offshoreBreakLimit = state.breakLimitHeight;
  const float deepHeightUnrefracted = toSingle(double(state.hs) / double(state.ks));
  state.c1 = toSingle(double(state.l1) / double(state.ts));
  writeRecord(io.console, {"Deep wave length and celerity (Lo,Co) ", state.lo, state.co});
  writeRecord(io.report, {"Deep wave length and celerity (Lo,Co) ", state.lo, state.co});
  writeRecord(io.console, {"Wave length and celerity (L1,C1)", state.l1, state.c1});
  writeRecord(io.report, {"Wave length and celerity (L1,C1)", state.l1, state.c1});
  const float surfDepth = toSingle(double(deepHeightUnrefracted) / double(0.78f));
  writeRecord(io.console, {"Approximate surf depth = ", surfDepth});
  writeRecord(io.console, {" "});
  return deepHeightUnrefracted;
}

void readLocalDepthAndAngle(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"Local depth d near surf zone = "});
  readValue(io, state.depth);
  writeRecord(io.report, {"Local depth d near surf zone = ", state.depth});
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
  writeRecord(io.console, {"Alfa (degrees) = "});
  readValue(io, state.alpha);
  writeRecord(io.console, {"Alfa = ", state.alpha});
  writeRecord(io.report, {"Offshore Angle Alfa = ", state.alpha});
}

// Snell's law out to deep water, sin(aor) = sin(alpha) co / c1, with a sine of 1 or more in
// size replaced by +0.99; the arcsine is formed as atan(s / sqrt(1 - s^2)).
float refractToDeepWater(CaseState& state, RunIo& io) {
  state.alpha = toSingle(double(state.pi) * double(state.alpha) / 180);
  const float s1 = toSingle(checkedSin(double(state.alpha)));
  const float cosAlpha = toSingle(checkedCos(double(state.alpha)));
  state.so = toSingle(double(s1) * (double(state.co) / double(state.c1)));
  if (std::fabs(state.so) >= 1) state.so = 0.99f;
  writeRecord(io.console, {"s1,co,c1,so", s1, state.co, state.c1, state.so});
  const double so = double(state.so);
  state.aor = toSingle(checkedAtan(so / checkedSqrt(1 - so * so)));
  writeRecord(io.console, {"AOR =", state.aor});
  const float aorDegrees = toSingle(double(state.aor) * 180 / double(state.pi));
  writeRecord(io.console, {" DEEP WATER WAVE ANGLE =  ", aorDegrees});
  writeRecord(io.report, {" EFFECTIVE DEEP WATER WAVE ANGLE =  ", aorDegrees});
  state.cosAor = toSingle(checkedCos(double(state.aor)));
  return cosAlpha;
}

}  // namespace

void refractOffshoreWave(CaseState& state, RunIo& io) {
  const float deepHeightUnrefracted = capOffshoreWave(state, io);
  readLocalDepthAndAngle(state, io);
  const float cosAlpha = refractToDeepWater(state, io);
  // Refraction coefficient sqrt(cos(aor) / cos(alpha)).
  state.kr = toSingle(checkedSqrt(double(state.cosAor) / double(cosAlpha)));
  state.deepHeight = toSingle(double(deepHeightUnrefracted) / double(state.kr));
  writeRecord(io.console, {" Ks AND Kr = ", state.ks, state.kr});
  writeRecord(io.report, {" DEEP WATER WAVE HEIGHT = ", state.deepHeight});
  writeRecord(io.report, {"EFFECTIVE DEEP WATER WAVE HEIGHT = ", state.deepHeight});
}
