#include "console_input.hpp"
#include "pause.hpp"
#include "records.hpp"
#include "stage_dialogues.hpp"
#include "transport.hpp"

namespace {

void readBeachInputs(CaseState& state, RunIo& io) {
  state.beachSlope = kDefaultBeachSlope;
  writeRecord(io.console, {"slope of beach ="});
  readValue(io, state.beachSlope);
  writeRecord(io.console, {"settling velocity for beach material (cm/s) ="});
  readValue(io, state.settlingVelocity);
  convertSettlingVelocity(state);
}

}  // namespace

void reportClassExposure(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"---LONG SHORE TRANSPORT RATE---"});
  for (std::int32_t i = 1; i <= 4; ++i) {
    const float share = computeClassExposure(state, i);
    writeRecord(io.console, {"--  HI  to  HJ -->  %Pr "});
    writeRecord(io.console,
                {"##.##    ", i, state.classExposure[std::size_t(i - 1)], state.duration, share});
  }
}

void reportTransport(CaseState& state, RunIo& io) {
  openResultsFile(io);
  const float siRateFactor = computeSiRateFactor();
  writeRecord(io.console, {siRateFactor});
  pause(io);
  readBeachInputs(state, io);
  const float twoLocalAngle = doubleLocalAngle(state);
  writeRecord(io.console, {"Kpls, rho =", computeKpls(state, twoLocalAngle), state.rho});

  StormTransport storm;
  const FluxTerms terms = computeFluxTerms(state, twoLocalAngle);
  for (std::int32_t i = 1; i <= 4; ++i) {
    const ClassTransport transport = computeClassTransport(state, terms, i, storm);
    writeRecord(io.console, {i, state.classExposure[std::size_t(i - 1)], transport.rate,
                             transport.height, transport.flux});
  }
  writeRecord(io.console, {"****************"});
  writeRecord(io.console, {"****************"});

  const float surfCurrent = computeSurfCurrent(storm);
  writeRecord(io.results, {"MAXIMUM SURF CURRENT ft/sec or m/s = ", surfCurrent});
  const float stormTotal = computeStormTotal(state, storm, siRateFactor);
  writeRecord(io.console, {"Surf Current ft/sec or m/s =", surfCurrent});
  writeRecord(io.console, {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", stormTotal});
  writeRecord(io.results, {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", stormTotal});
  pause(io);
}
