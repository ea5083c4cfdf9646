#include "input_ranges.hpp"

namespace littoral {
namespace {

// The value in SI units of a length or speed of the run.
double inMetres(const CaseState& state, float value) {
  return state.usUnits ? double(value) / double(3.28f) : double(value);
}

// A NaN is out of every range.
inline void check(StormValues& values, Warning warning, double value) {
  const InputRange& range = inputRange(warning);
  if (!(value >= range.low && value <= range.high)) values.warn(warning);
}

}  // namespace

void checkHindcastInputs(const CaseState& state, StormValues& values) {
  // Without a unit system the wind and the fetch are zero whatever was answered, and the depth
  // has no unit: gravity is what is wrong, and the error cause says so.
  if (state.usUnits || state.siUnits) {
    check(values, Warning::windSpeedOutOfRange, inMetres(state, state.windSpeed));
    check(values, Warning::fetchOutOfRange, inMetres(state, state.fetch));
    check(values, Warning::depthOutOfRange, inMetres(state, state.depth));
  }
  check(values, Warning::durationOutOfRange, double(state.duration));
  check(values, Warning::rtOutOfRange, double(state.rt));
  check(values, Warning::rlOutOfRange, double(state.rl));
}

void checkTransportInputs(const CaseState& state, StormValues& values) {
  check(values, Warning::beachSlopeOutOfRange, double(state.beachSlope));
  check(values, Warning::settlingVelocityOutOfRange, double(state.settlingVelocity));
}

}  // namespace littoral
