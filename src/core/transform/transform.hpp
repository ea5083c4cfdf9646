#pragma once

#include "case_state.hpp"

// The wave transformation: the wave length at the offshore and the local depth, the offshore
// wave and its refraction to deep water, the local wave and the Rayleigh height statistics.

namespace littoral {

// The wave length iteration at the offshore depth: prepares twoPi, lo, fourPi and
// steepLimitLength, then yields l1, co, ks and the offshore breakLimitHeight.
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

// Snell's law out to deep water, sin(aor) = sin(alpha) co / c1, with a sine of 1 or more in
// size replaced by +0.99: alpha in radians and so.
OffshoreAngle refractOffshoreAngle(CaseState& state);

// The deep-water angle aor from so, the arcsine formed as atan(s / sqrt(1 - s^2)); returns it
// in degrees.
float computeDeepAngle(CaseState& state);

// cosAor, the refraction coefficient kr = sqrt(cos(aor) / cos(alpha)) and the deep-water
// height.
void computeDeepHeight(CaseState& state, const OffshoreAngle& angle, const OffshoreWave& wave);

// The wave length iteration again, at the local depth: localLength, localCelerity,
// groupRatio, ksLocal and the local breakLimitHeight.
void computeLocalWaveLength(CaseState& state);

// The local angle by Snell's law in from deep water, sin(a) = sin(aor) c / co: stores
// localAngleDegrees and the shoaled localHeight, and returns the angle in radians.
float computeLocalAngle(CaseState& state);

// The local refraction coefficient sqrt(cos(aor) / cos(a)) and the local height; returns the
// coefficient.
float computeLocalHeight(CaseState& state, float localAngle);

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
