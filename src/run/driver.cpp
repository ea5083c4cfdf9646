#include "driver.hpp"

#include <ostream>

#include "case_state.hpp"
#include "held_console.hpp"
#include "hindcast.hpp"
#include "numerics.hpp"
#include "run_errors.hpp"
#include "transform.hpp"
#include "transport.hpp"

namespace {

void runStages(CaseState& state, RunIo& io) {
  setNumericEnvironment();
  state.pi = computePi();
  openReportFile(io);
  readSiteAndWindInputs(state, io);
  computeWindSetup(state, io);
  computeWaveGrowth(state, io);
  computeOffshoreWaveLength(state);
  refractOffshoreWave(state, io);
  computeLocalWaveLength(state);
  computeLocalWave(state, io);
  if (!computeHeightStatistics(state, io)) return;
  computeClassExposure(state, io);
  computeTransport(state, io);
}

}  // namespace

int runCase(RunIo& io) {
  CaseState state;
  int exitStatus = kExitNormal;
  try {
    runStages(state, io);
    releaseConsole(io);
  } catch (const RunError& error) {
    releaseHeldConsole();  // what the console held comes before the message; a failure is moot
    *io.errors << error.message << '\n';
    io.errors->flush();
    exitStatus = error.exitStatus;
  }
  closeFiles(io);
  return exitStatus;
}
