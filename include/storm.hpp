#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// One storm computed without a console: the answers the dialogue would be given, and every
// value that the dialogue prints for them, computed by the same stage computations.

// The answers of one storm, in the dialogue's order. A menu answer outside 1 to 5 keeps the
// unit factor at zero, as it does at the console.
struct StormAnswers {
  float g = 0;  // above 30 US units, below 30 SI units
  float depth = 0;
  std::int32_t fetchUnit = 0;  // 1 ft, 2 m, 3 miles, 4 km, 5 kml
  float fetch = 0;
  std::int32_t speedUnit = 0;  // 1 ft/s, 2 m/s, 3 mph, 4 km/h, 5 knots
  float windSpeed = 0;
  float durationHours = 0;
  float rt = 0;
  float rl = 0;
  float localDepth = 0;
  float angleDegrees = 0;
  std::optional<float> beachSlope;        // not given: 0.005
  std::optional<float> settlingVelocity;  // cm/s; given: the transport stage runs
};

// The real values of a storm, in the order the dialogue prints them. Each is the stored single
// that the dialogue prints.
enum class StormValue : std::size_t {
  density,
  setupFeet,
  setupMeters,
  ua,
  Fd,  // of the last growth pass
  FF,
  Ftd,
  effectiveFetch,  // the fetch after the growth passes, ft or m
  FHs,
  FTs,
  hs,  // as hindcast, before the breaking cap
  ts,
  ks,
  lo,
  co,
  l1,
  c1,
  surfDepth,
  s1,
  so,
  aor,
  deepAngle,  // degrees
  kr,
  deepHeight,
  localAngle,  // degrees
  localLength,
  localHeight,
  localCelerity,
  groupRatio,
  ksLocal,
  krLocal,
  breakingHeight,
  offshoreHrms,
  offshoreHs,
  offshoreH10,
  offshoreH1,
  localHrms,
  localHs,
  localH10,
  localH1,
  hnso,
  classShare1,  // Rayleigh share of each height class
  classShare2,
  classShare3,
  classShare4,
  kpls,
  classExposure1,  // percent of a year
  classExposure2,
  classExposure3,
  classExposure4,
  classRate1,  // transport of each class; see storm_transport for the units
  classRate2,
  classRate3,
  classRate4,
  classHeight1,  // the class's representative deep-water height
  classHeight2,
  classHeight3,
  classHeight4,
  classFlux1,
  classFlux2,
  classFlux3,
  classFlux4,
  surfCurrent,         // mean of the four class currents, ft/s or m/s
  stormTransport,      // yd3 in both unit systems
  stormTransportM3,    // the same in m3
  classTransportM3_1,  // each class's transport of the storm in m3; they sum to the above
  classTransportM3_2,
  classTransportM3_3,
  classTransportM3_4,
  count
};

inline constexpr std::size_t kStormValueCount = static_cast<std::size_t>(StormValue::count);

// The column name of each value, in the order of StormValue.
extern const std::array<const char*, kStormValueCount> kStormValueNames;

enum class UnitSystem { none, us, si };
enum class GrowthLimit { none, fetch, duration };  // none: a NaN fetch is neither

// Conditions under which a storm's values are computed as the method says but an engineer must
// know of them.
enum class Warning : std::size_t {
  angleClamped,             // the deep-water sine was 1 or more in size and became +0.99
  insideSurfZone,           // the local depth is less than the approximate surf depth
  localDeeperThanOffshore,  // the local depth exceeds the offshore depth
  breakingCapped,           // the hindcast height was limited to the offshore breaking limit
  manyGrowthPasses,         // more than 1,000 growth passes (a zero or tiny duration)
  // An input outside the range the method was built for.
  windSpeedOutOfRange,         // 1 to 50 m/s
  fetchOutOfRange,             // 0.1 to 1000 km
  durationOutOfRange,          // 0.1 to 100 h
  depthOutOfRange,             // 1 to 500 m
  rtOutOfRange,                // 0.5 to 1.5
  rlOutOfRange,                // 0.5 to 2
  beachSlopeOutOfRange,        // 0.001 to 0.2
  settlingVelocityOutOfRange,  // 0.1 to 30 cm/s
  count
};

inline constexpr std::size_t kWarningCount = static_cast<std::size_t>(Warning::count);

// What one storm gave. A value is present when the dialogue would have printed it before the
// run ended; a math error ends the storm where it ends the dialogue.
struct StormValues {
  UnitSystem units = UnitSystem::none;
  std::int32_t passes = 0;  // growth passes run
  GrowthLimit limitedBy = GrowthLimit::none;
  std::array<float, kStormValueCount> values{};
  std::bitset<kStormValueCount> present;
  std::string error;  // the math error's message, empty when the storm ran to its end
  std::bitset<kWarningCount> warnings;

  void warn(Warning which) { warnings.set(static_cast<std::size_t>(which)); }
  bool warned(Warning which) const { return warnings.test(static_cast<std::size_t>(which)); }

  void set(StormValue which, float value) {
    values[static_cast<std::size_t>(which)] = value;
    present.set(static_cast<std::size_t>(which));
  }
  bool has(StormValue which) const { return present.test(static_cast<std::size_t>(which)); }
  float get(StormValue which) const { return values[static_cast<std::size_t>(which)]; }
};

// Runs the stages of one storm in the dialogue's order, with the transport stage when the
// answers give a settling velocity. Never throws for a math error: it ends the storm.
StormValues runStorm(const StormAnswers& answers);
