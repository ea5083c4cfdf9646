#include "console_input.hpp"
#include "hindcast.hpp"
#include "records.hpp"
#include "stage_dialogues.hpp"

namespace {

void readUnitSystem(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"g ="});
  readValue(io, state.g);
  chooseUnitSystem(state);
  if (state.usUnits) {
    writeRecord(io.report, {"US Units"});
    writeRecord(io.console, {"US Units"});
  }
  if (state.siUnits) {
    writeRecord(io.report, {"SI Units"});
    writeRecord(io.console, {"SI Units"});
  }
  writeRecord(io.console, {"Density=", state.rho});
  writeRecord(io.report, {"Density=", state.rho});
}

void readFetchAndSpeed(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"Enter Fetch Units:ft=1;m=2;miles=3;km=4;kml=5"});
  readValue(io, state.unitChoice);
  chooseFetchUnit(state);
  writeRecord(io.console, {"Fetch = "});
  readValue(io, state.fetch);
  convertFetch(state);
  writeRecord(io.report, {"Fetch = ft or m ", state.fetch});

  writeRecord(io.console, {"Enter Speed Units:ft/sec=1;m/s=2;mph=3;km/h=4;knots=5"});
  readValue(io, state.unitChoice);
  chooseSpeedUnit(state);
  writeRecord(io.console, {"Speed = "});
  readValue(io, state.windSpeed);
  convertWindSpeed(state);
  writeRecord(io.report, {"Speed = ft/sec or m/s ", state.windSpeed});
  if (!(state.g > 30)) writeRecord(io.console, {"V mph = ", windSpeedMph(state)});
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

void reportPass(const WaveGrowth& growth, RunIo& io) {
  writeRecord(io.console, {"Fd, FF, Ftd =", growth.terms.Fd, growth.FF, growth.terms.Ftd});
  writeRecord(io.report, {"Non-dimensional depth Fd", growth.terms.Fd});
  writeRecord(io.report, {"Non-dimensional fetch FF", growth.FF});
  writeRecord(io.report, {"Non-dimensional duration Ftd", growth.terms.Ftd});
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

void reportWindSetup(CaseState& state, RunIo& io) {
  const WindSetup setup = computeWindSetup(state);
  writeRecord(io.console, {"Setup in feet = ", setup.feet});
  writeRecord(io.report, {"Setup in feet = ", setup.feet});
  writeRecord(io.console, {"Setup in m = ", setup.meters});
  writeRecord(io.report, {"Setup in m = ", setup.meters});
  convertDurationToSeconds(state);
  adjustWindSpeed(state);
  writeRecord(io.console, {"Ua = ", state.ua});
  writeRecord(io.report, {"Stress Ua = ", state.ua});
}

void reportWaveGrowth(CaseState& state, RunIo& io) {
  WaveGrowth growth = startWaveGrowth(state);
  bool anotherPass = true;
  while (anotherPass) {
    beginGrowthPass(state, growth);
    reportPass(growth, io);
    anotherPass = endGrowthPass(state, growth);
  }
  switch (growthLimit(state, growth)) {
    case GrowthLimit::duration:
      writeRecord(io.console, {"Duration Limited with Feff = ", state.fetch});
      writeRecord(io.report, {"Duration Limited with Feff = ", state.fetch});
      break;
    case GrowthLimit::fetch:
      writeRecord(io.console, {"Fetch Limited  "});
      writeRecord(io.report, {"Fetch Limited  "});
      break;
    case GrowthLimit::none:
      break;
  }
  writeRecord(io.report, {"Non-dimensional Wave Height FHs =", growth.FHs});
  writeRecord(io.report, {"Non-dimensional Period FTs =", growth.FTs});
  writeRecord(io.console, {"Hs and Ts ", state.hs, state.ts});
  writeRecord(io.report, {"Significant Wave height Hs (ft or m) = ", state.hs});
  writeRecord(io.report, {"Significant Wave Period Ts (s) = ", state.ts});
}
