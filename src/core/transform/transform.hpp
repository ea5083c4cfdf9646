#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "case_state.hpp"
#include "math_error.hpp"
#include "numerics.hpp"

// The wave transformation: the wave length at the offshore and the local depth, the offshore
// wave and its refraction to deep water, the local wave and the Rayleigh height statistics.

namespace littoral {

// The wave length iteration solves L = lo tanh(2 pi d / L) by 30 averaging passes from a start
// length, keeping the breaking limit min(0.78 d, 0.14 lo tanh(kd)) of its last pass. A pass
// depends on nothing but its start length, so once a pass ends where it started every later
// pass repeats it exactly, and the passes stop there with the values of all 30. The local use
// also stores the length term as localLength and the group ratio n = (1 + 2kd / sinh 2kd) / 2.
//
// One storm's iteration between its passes, and the terms of its last pass, from which the
// shoaling coefficient is formed.
struct WaveLengthRun {
  float waveLength = 0;  // the start length of the next pass
  bool localUse = false;
  std::int32_t passes = 0;
  double lengthTerm = 0;  // lo tanh(kd)
  double tanhKd = 0;
  float twoKd = 0;
  double sinhTwoKd = 0;

  bool operator==(const WaveLengthRun&) const = default;
};

// Starts a run from a length where the caller keeps it, a field at a time. (A run made by a
// callee and copied whole was read back in wider pieces than it had just been written in, which
// stalls the processor at every storm; a run cleared whole was cleared by a rep stos, slow to
// start.) A field added to the run is started here too.
inline void startWaveLengthRun(WaveLengthRun& run, float startLength, bool localUse) {
  run.waveLength = startLength;
  run.localUse = localUse;
  run.passes = 0;
  run.lengthTerm = 0;
  run.tanhKd = 0;
  run.twoKd = 0;
  run.sinhTwoKd = 0;
}

// The offshore use: prepares twoPi, lo, fourPi and steepLimitLength and starts run from lo;
// once iterated, yields l1, co, ks and the offshore breakLimitHeight.
void startOffshoreWaveLength(CaseState& state, WaveLengthRun& run);
void finishOffshoreWaveLength(CaseState& state, const WaveLengthRun& run);

// The local use, starting run from l1 at the local depth; once iterated, yields localLength,
// localCelerity, groupRatio, ksLocal and the local breakLimitHeight.
inline void startLocalWaveLength(const CaseState& state, WaveLengthRun& run) {
  startWaveLengthRun(run, state.l1, true);
}
void finishLocalWaveLength(CaseState& state, const WaveLengthRun& run);

// Runs the passes of the run to its last; a math error of an exp ends it where a pass meets it.
void iterateWaveLength(CaseState& state, WaveLengthRun& run);

// One storm's iteration among many.
struct WaveLengthLane {
  CaseState* state = nullptr;
  WaveLengthRun run;
  std::optional<MathError> error;  // the error that ended the iteration, if one did
};

// Runs the iterations of many storms side by side, each exactly as iterateWaveLength runs it
// alone: a pass of each storm in turn, with the exps of those passes worked out together.
void iterateWaveLengths(std::span<WaveLengthLane> lanes);

// The offshore use started, iterated and finished.
void computeOffshoreWaveLength(CaseState& state);

struct OffshoreWave {
  float deepHeightUnrefracted;  // hs / ks
  float surfDepth;              // hs / ks / 0.78
  bool capped;                  // hs was above the breaking limit
};

// Caps hs at the breaking limit and keeps that limit as offshoreBreakLimit; c1 = l1 / ts.
OffshoreWave capOffshoreWave(CaseState& state);

// The depth now holds the local depth: the iteration's 2 pi d follows it.
void setLocalDepth(CaseState& state);

struct OffshoreAngle {
  float s1;  // sine of the offshore angle
  float cosAlpha;
  bool clamped;  // the deep-water sine was 1 or more in size and is now +0.99
};

// The offshore angle alpha, answered in degrees, in radians.
void convertOffshoreAngle(CaseState& state);

// Snell's law out to deep water, sin(aor) = sin(alpha) co / c1, with a sine of 1 or more in
// size replaced by +0.99: so, from sin(alpha) and cos(alpha).
OffshoreAngle refractOffshoreAngle(CaseState& state, const TrigValue& sinAlpha,
                                   const TrigValue& cosAlpha);

// s / sqrt(1 - s^2) of a sine s: the argument of atan that makes the arcsine of the deep-water
// and the local angle. A DOMAIN math error when the sine is more than 1 in size.
double tangentOfSine(float sine);

// The deep-water angle aor from so, the arcsine formed as atan(tangentOfSine(so)), given that
// atan; returns it in degrees.
float computeDeepAngle(CaseState& state, const TrigValue& atanOfTangent);

// cosAor from cos(aor), the refraction coefficient kr = sqrt(cos(aor) / cos(alpha)) and the
// deep-water height.
void computeDeepHeight(CaseState& state, const OffshoreAngle& angle, const OffshoreWave& wave,
                       const TrigValue& cosAor);

// The local use started, iterated and finished.
void computeLocalWaveLength(CaseState& state);

// The shoaled localHeight, and the sine of the local angle by Snell's law in from deep water,
// sin(a) = sin(aor) c / co, as the tangent whose atan is the angle (tangentOfSine).
double shoalLocalTangent(CaseState& state);

// The local angle from that atan: stores localAngleDegrees and returns the angle in radians.
float computeLocalAngle(CaseState& state, const TrigValue& atanOfTangent);

// The local refraction coefficient sqrt(cos(aor) / cos(a)) from cos(a), and the local height;
// returns the coefficient.
float computeLocalHeight(CaseState& state, const TrigValue& cosLocalAngle);

// Hrms, Hs, H10 and H1 of a Rayleigh sea: Hs / sqrt 2, Hs, 1.27 Hs and 1.67 Hs.
struct HeightRow {
  float hrms;
  float hs;
  float h10;
  float h1;
};

struct HeightStatistics {
  HeightRow offshore;  // limited by the offshore breaking limit
  HeightRow local;     // limited by the local breaking limit
};

// The offshore and local rows, the five height-class bounds and the deep-water rms height
// hnso; the local height is limited by both breaking limits.
HeightStatistics computeHeightStatistics(CaseState& state);

}  // namespace littoral
