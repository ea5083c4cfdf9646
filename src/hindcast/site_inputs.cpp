#include <array>

#include "console_input.hpp"
#include "hindcast.hpp"
#include "numerics.hpp"
#include "records.hpp"

namespace {

using UnitFactors = std::array<float, 5>;

// Factors from the menu's units to feet (US) or metres (SI). A metre is 3.28 ft, a mile
// 5280 ft, a km 3280 ft, the fifth fetch unit 6080 ft.
constexpr UnitFactors kUsFetchFactors = {1.0f, 3.28f, 5280.0f, 3280.0f, 6080.0f};
constexpr UnitFactors kSiFetchFactors = {0.30487806f, 1.0f, 1609.7561f, 1000.0f, 1853.6586f};
// Factors from ft/sec, m/s, mph, km/h and knots to ft/s (US) or m/s (SI).
constexpr UnitFactors kUsSpeedFactors = {1.0f, 3.28f, 1.4666667f, 0.9111112f, 1.6888889f};
constexpr UnitFactors kSiSpeedFactors = {0.30487806f, 1.0f, 0.4471545f, 0.2777778f, 0.51490515f};

// Sets the factor of the menu answer in the run's unit system; an answer outside 1 to 5, or no
// unit system, leaves the factor as it was.
void chooseUnitFactor(const CaseState& state, const UnitFactors& usFactors,
                      const UnitFactors& siFactors, float& factor) {
  if (state.unitChoice < 1 || state.unitChoice > 5) return;
  const auto index = static_cast<std::size_t>(state.unitChoice - 1);
  if (state.usUnits) factor = usFactors[index];
  if (state.siUnits) factor = siFactors[index];
}

void readUnitSystem(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"g ="});
  readValue(io, state.g);
  state.usUnits = state.g > 30;
  state.siUnits = state.g < 30;
  if (state.usUnits) {
    state.rho = 1.94f;
    writeRecord(io.report, {"US Units"});
    writeRecord(io.console, {"US Units"});
  }
  if (state.siUnits) {
    writeRecord(io.report, {"SI Units"});
    writeRecord(io.console, {"SI Units"});
    state.rho = 1000.0f;
  }
  writeRecord(io.console, {"Density=", state.rho});
  writeRecord(io.report, {"Density=", state.rho});
}

void readFetchAndSpeed(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"Enter Fetch Units:ft=1;m=2;miles=3;km=4;kml=5"});
  readValue(io, state.unitChoice);
  chooseUnitFactor(state, kUsFetchFactors, kSiFetchFactors, state.fetchFactor);
  writeRecord(io.console, {"Fetch = "});
  readValue(io, state.fetch);
  state.fetch = toSingle(double(state.fetchFactor) * double(state.fetch));
  writeRecord(io.report, {"Fetch = ft or m ", state.fetch});

  writeRecord(io.console, {"Enter Speed Units:ft/sec=1;m/s=2;mph=3;km/h=4;knots=5"});
  readValue(io, state.unitChoice);
  chooseUnitFactor(state, kUsSpeedFactors, kSiSpeedFactors, state.speedFactor);
  writeRecord(io.console, {"Speed = "});
  readValue(io, state.windSpeed);
  state.windSpeed = toSingle(double(state.speedFactor) * double(state.windSpeed));
  writeRecord(io.report, {"Speed = ft/sec or m/s ", state.windSpeed});
  if (!(state.g > 30)) {
    // Shown only: the speed in mph with 0.3048 m to the foot.
    const double mph = double(state.windSpeed) * 3600 / double(0.3048f) / 5280;
    writeRecord(io.console, {"V mph = ", toSingle(mph)});
  }
}

void readStormFactors(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"Duration = hr "});
  readValue(io, state.duration);
  writeRecord(io.report, {"Duration = hr ", state.duration});
  writeRecord(io.console, {"Rt stability factor = "});
  readValue(io, state.rt);
  writeRecord(io.report, {"Rt stability factor = ", state.rt});
  writeRecord(io.console, {"RL sea/land factor = "});
  readValue(io, state.rl);
  writeRecord(io.report, {"RL sea/land factor = ", state.rl});
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

}  // namespace

void readSiteAndWindInputs(CaseState& state, RunIo& io) {
  writeRecord(io.report, {"REPORT"});
  readUnitSystem(state, io);
  writeRecord(io.console, {"Offshore Depth = ft or m"});
  readValue(io, state.depth);
  writeRecord(io.report, {"Offshore Depth = ft or m ", state.depth});
  readFetchAndSpeed(state, io);
  readStormFactors(state, io);
  convertForSetup(state);
}
