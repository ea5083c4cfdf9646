#pragma once

#include <array>
#include <cfloat>
#include <cstdint>
#include <limits>

namespace littoral {
// Every value below is reported to seven significant digits, so the arithmetic must be IEEE
// single precision for storage and plain double precision inside an expression.
static_assert(std::numeric_limits<float>::is_iec559 && sizeof(float) == 4,
              "float must be IEEE single precision");
static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8,
              "double must be IEEE double precision");
static_assert(FLT_EVAL_METHOD == 0, "expressions must be evaluated in their own type");

// The values of one storm case. Every real is single precision and starts at zero; a stage that
// skips an assignment leaves the earlier value in place. Lengths are in feet (US units) or
// metres (SI units), times in seconds once the wind setup has converted the duration.
struct CaseState {
  float pi = 0;  // 4 atan(1)

  // Site and wind inputs.
  float g = 0;           // gravity as typed; it also chooses the unit system
  bool usUnits = false;  // g > 30: feet and slugs
  bool siUnits = false;  // g < 30: metres and kilograms
  float rho = 0;         // water density
  float depth = 0;       // offshore depth, then the local depth near the surf zone
  std::int32_t unitChoice = 0;
  float fetchFactor = 0;
  float speedFactor = 0;
  float fetch = 0;  // converted fetch, then the effective fetch of the growth loop
  float windSpeed = 0;
  float rt = 0;  // stability factor
  float rl = 0;  // sea/land factor
  float windMph = 0;
  float fetchMiles = 0;
  float depthFeet = 0;
  float duration = 0;  // hours as typed, seconds after the wind setup

  // Hindcast.
  float ua = 0;  // wind-stress adjusted speed
  float hs = 0;  // significant height, later capped at the offshore breaking limit
  float ts = 0;  // significant period

  // Wave length iteration and the offshore wave.
  float lo = 0;  // deep-water length and celerity
  float co = 0;
  float l1 = 0;  // length and celerity at the offshore depth
  float c1 = 0;
  float ks = 0;
  float ksLocal = 0;
  float twoPi = 0;
  float fourPi = 0;
  float steepLimitLength = 0;
  float twoPiDepth = 0;
  float breakLimitHeight = 0;
  float offshoreBreakLimit = 0;

  // Refraction.
  float alpha = 0;  // offshore angle: degrees as typed, then radians
  float so = 0;     // sine of the deep-water angle
  float aor = 0;    // deep-water angle, radians
  float cosAor = 0;
  float kr = 0;
  float deepHeight = 0;

  // The local wave.
  float localLength = 0;
  float localCelerity = 0;
  float groupRatio = 0;
  float localAngleDegrees = 0;
  float localHeight = 0;

  // Height statistics and the storm's height classes; class i runs from classHeight[i - 1] to
  // classHeight[i].
  std::array<float, 5> classHeight{};
  float hnso = 0;  // deep-water rms height
  std::int32_t continueAnswer = 0;
  std::array<float, 4> classExposure{};  // percent of a year

  // Transport inputs.
  float beachSlope = 0;
  float settlingVelocity = 0;
};

}  // namespace littoral
