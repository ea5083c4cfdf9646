#include "numerics.hpp"
#include "records.hpp"
#include "transform.hpp"

void computeLocalWave(CaseState& state, RunIo& io) {
  state.localHeight = toSingle(double(state.ksLocal) * double(state.deepHeight));
  // Snell's law in from deep water: sin(a) = sin(aor) c / co, arcsine as atan(s / sqrt(1 - s^2)).
  const float localSine =
      toSingle(double(state.localCelerity) / double(state.co) * double(state.so));
  const double sine = double(localSine);
  const float localAngle = toSingle(checkedAtan(sine / checkedSqrt(1 - sine * sine)));
  state.localAngleDegrees = toSingle(double(localAngle) * 180 / double(state.pi));
  writeRecord(io.console, {"Local angle = ", state.localAngleDegrees});
  writeRecord(io.report, {"Local angle = ", state.localAngleDegrees});

  const float krLocal =
      toSingle(checkedSqrt(double(state.cosAor) / checkedCos(double(localAngle))));
  state.localHeight = toSingle(double(krLocal) * double(state.localHeight));
  for (Destination* destination : {&io.console, &io.report}) {
    writeRecord(*destination,
                {"Local wave length and height ", state.localLength, state.localHeight});
    writeRecord(*destination,
                {"Local wave height and celerity ", state.localHeight, state.localCelerity});
    writeRecord(*destination,
                {"Group Ratio, Ks and Kr (Local) ", state.groupRatio, state.ksLocal, krLocal});
    writeRecord(*destination, {"Breaking Wave height ", state.breakLimitHeight});
  }
}
