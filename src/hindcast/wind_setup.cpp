#include "hindcast.hpp"
#include "numerics.hpp"
#include "records.hpp"

namespace {

// Wind setup in feet, (rt rl V)^2 F / (1400 d), with V in mph, F in miles and d in feet.
void reportSetup(const CaseState& state, RunIo& io) {
  const double numerator = double(state.windMph) * double(state.windMph) * double(state.rt) *
                           double(state.rt) * double(state.rl) * double(state.rl) *
                           double(state.fetchMiles);
  const double denominator = double(state.depthFeet) * 1400;
  const float setupFeet = toSingle(numerator / denominator);
  writeRecord(io.console, {"Setup in feet = ", setupFeet});
  writeRecord(io.report, {"Setup in feet = ", setupFeet});
  const float setupMeters = toSingle(double(setupFeet) / double(3.28f));
  writeRecord(io.console, {"Setup in m = ", setupMeters});
  writeRecord(io.report, {"Setup in m = ", setupMeters});
}

// Wind-stress adjusted speed: 0.589 U^1.23 with U in mph, or 0.71 U^1.23 with U in m/s.
void adjustWindSpeed(CaseState& state) {
  const float factoredSpeed =
      toSingle(double(state.rt) * double(state.windSpeed) * double(state.rl));
  if (state.usUnits) {
    const double speedMph = double(factoredSpeed) * 3600 / 5280;
    state.ua = toSingle(realPower(speedMph, double(1.23f)) * double(0.589f));
  }
  // mph to ft/s; it acts on every unit system, and SI units overwrite it next.
  state.ua = toSingle(double(state.ua) * 5280 / 3600);
  if (state.siUnits) {
    state.ua = toSingle(realPower(double(factoredSpeed), double(1.23f)) * double(0.71f));
  }
}

}  // namespace

void computeWindSetup(CaseState& state, RunIo& io) {
  reportSetup(state, io);
  state.duration = toSingle(double(state.duration) * 3600);
  adjustWindSpeed(state);
  writeRecord(io.console, {"Ua = ", state.ua});
  writeRecord(io.report, {"Stress Ua = ", state.ua});
}
