#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The littoral library's contract: one storm computed from its answers, with every value the
// interactive calculator prints for them, bit for bit. Include as "littoral/storm.hpp" and link
// littoral_core. Everything else under src/ is the program's own and may change.

namespace littoral {

// The answers of one storm, as a user gives them at the console, in the order it asks for them.
// Nothing is checked: a menu answer outside 1 to 5 keeps the unit's factor at zero, and values
// the method cannot take give NaNs or a math error, as at the console.
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

// The real values of a storm, in the order the console prints them, each the single it prints;
// the last five are not printed (the storm's and the classes' transport in m3).
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

// The unit system that gravity chose: above 30 US (feet, slugs), below 30 SI (metres,
// kilograms), neither at 30.
enum class UnitSystem { none, us, si };

// What limited the wave growth: the fetch (one growth pass) or the duration (more); neither for
// a fetch that is not a number.
enum class GrowthLimit { none, fetch, duration };

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

// What one storm gave. A value is present exactly when the console prints it for the same
// answers: a math error ends the storm where it ends the console's run, and the values before it
// stay. Warnings never change a value.
struct StormValues {
  UnitSystem units = UnitSystem::none;
  std::int32_t passes = 0;  // growth passes run
  GrowthLimit limitedBy = GrowthLimit::none;
  std::array<float, kStormValueCount> values{};
  std::bitset<kStormValueCount> present;
  std::string error;  // the math error's message, empty when the storm ran to its end
  std::bitset<kWarningCount> warnings;

  // `which` names a warning or value (not ::count), as for values[] itself.
  void warn(Warning which) { warnings[static_cast<std::size_t>(which)] = true; }
  bool warned(Warning which) const { return warnings[static_cast<std::size_t>(which)]; }

  void set(StormValue which, float value) {
    values[static_cast<std::size_t>(which)] = value;
    present[static_cast<std::size_t>(which)] = true;
  }
  bool has(StormValue which) const { return present[static_cast<std::size_t>(which)]; }
  float get(StormValue which) const { return values[static_cast<std::size_t>(which)]; }
};

// Cubic metres in a cubic yard, exactly: storm_transport_m3 is storm_transport times this.
inline constexpr double kCubicMetresPerCubicYard = 0.764554857984;

// The ratio of the transport expression worked in SI units to the same in US units, as the
// program stores it (4.448703): an SI class rate divided by it is in cubic yards.
float siRateFactor();

// The factor from a speed unit (the menu's 1 ft/s, 2 m/s, 3 mph, 4 km/h, 5 knots) to m/s, as the
// calculator converts a wind in SI units; 0 for any other answer.
float siSpeedFactor(std::int32_t speedUnit);

// Computes one storm: the stages in the console's order, the transport when the answers give a
// settling velocity. A math error (a square root of a negative number, say) does not throw: it
// ends the storm, and `error` names it. Safe to call from many threads at once.
StormValues runStorm(const StormAnswers& answers);

// Computes many storms: values[i] becomes exactly what runStorm(answers[i]) gives, error
// included, at a fraction of the cost of one call a storm. The spans have the same size. Safe
// to call from many threads at once.
void runStorms(std::span<const StormAnswers> answers, std::span<StormValues> values);

}  // namespace littoral
