#include <array>

#include "hindcast.hpp"
#include "littoral/storm.hpp"
#include "numerics.hpp"

namespace littoral {
namespace {

using UnitFactors = std::array<float, 5>;

// Factors from the menu's units to feet (US) or metres (SI). A metre is 3.28 ft, a mile
// 5280 ft, a km 3280 ft, the fifth fetch unit 6080 ft.
constexpr UnitFactors kUsFetchFactors = {1.0f, 3.28f, 5280.0f, 3280.0f, 6080.0f};
constexpr UnitFactors kSiFetchFactors = {0.30487806f, 1.0f, 1609.7561f, 1000.0f, 1853.6586f};
// Factors from ft/sec, m/s, mph, km/h and knots to ft/s (US) or m/s (SI).
constexpr UnitFactors kUsSpeedFactors = {1.0f, 3.28f, 1.4666667f, 0.9111112f, 1.6888889f};
constexpr UnitFactors kSiSpeedFactors = {0.30487806f, 1.0f, 0.4471545f, 0.2777778f, 0.51490515f};

void chooseUnitFactor(const CaseState& state, const UnitFactors& usFactors,
                      const UnitFactors& siFactors, float& factor) {
  if (state.unitChoice < 1 || state.unitChoice > 5) return;
  const auto index = static_cast<std::size_t>(state.unitChoice - 1);
  if (state.usUnits) factor = usFactors[index];
  if (state.siUnits) factor = siFactors[index];
}

}  // namespace

void chooseUnitSystem(CaseState& state) {
  state.usUnits = state.g > 30;
  state.siUnits = state.g < 30;
  if (state.usUnits) state.rho = 1.94f;
  if (state.siUnits) state.rho = 1000.0f;
}

void chooseFetchUnit(CaseState& state) {
  chooseUnitFactor(state, kUsFetchFactors, kSiFetchFactors, state.fetchFactor);
}

void chooseSpeedUnit(CaseState& state) {
  chooseUnitFactor(state, kUsSpeedFactors, kSiSpeedFactors, state.speedFactor);
}

void convertFetch(CaseState& state) {
  state.fetch = toSingle(double(state.fetchFactor) * double(state.fetch));
}

void convertWindSpeed(CaseState& state) {
  state.windSpeed = toSingle(double(state.speedFactor) * double(state.windSpeed));
}

float windSpeedMph(const CaseState& state) {
  return toSingle(double(state.windSpeed) * 3600 / double(0.3048f) / 5280);
}

// The setup formula works in miles per hour, feet and miles whatever the unit system; here a
// mile per hour is 0.44715 m/s and a mile 1600 m.
void convertForSetup(CaseState& state) {
  if (state.siUnits) state.windMph = toSingle(double(state.windSpeed) / double(0.44715f));
  if (state.usUnits) state.windMph = toSingle(double(state.windSpeed) * 3600 / 5280);
  state.depthFeet = state.depth;
  if (state.siUnits) state.depthFeet = toSingle(double(state.depth) * double(3.28f));
  if (state.siUnits) state.fetchMiles = toSingle(double(state.fetch) * 5 / 8000);
  if (state.usUnits) state.fetchMiles = toSingle(double(state.fetch) / 5280);
}

float siSpeedFactor(std::int32_t speedUnit) {
  if (speedUnit < 1 || speedUnit > 5) return 0;
  return kSiSpeedFactors[static_cast<std::size_t>(speedUnit - 1)];
}

}  // namespace littoral
