#include "hindcast.hpp"
#include "numerics.hpp"

namespace littoral {
WindSetup computeWindSetup(const CaseState& state) {
  const double numerator = double(state.windMph) * double(state.windMph) * double(state.rt) *
                           double(state.rt) * double(state.rl) * double(state.rl) *
                           double(state.fetchMiles);
  const double denominator = double(state.depthFeet) * 1400;
  WindSetup setup{};
  setup.feet = toSingle(numerator / denominator);
  setup.meters = toSingle(double(setup.feet) / double(3.28f));
  return setup;
}

void convertDurationToSeconds(CaseState& state) {
  state.duration = toSingle(double(state.duration) * 3600);
}

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

}  // namespace littoral
