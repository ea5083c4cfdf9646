#include "driver.hpp"

#include <ostream>

#include "case_state.hpp"
#include "held_console.hpp"
#include "math_error.hpp"
#include "numerics.hpp"
#include "run_errors.hpp"
#include "stage_dialogues.hpp"
#include "transform.hpp"

namespace {

void runStages(CaseState& state, RunIo& io) {
  setNumericEnvironment();
  state.pi = computePi();
  openReportFile(io);
  readSiteAndWindInputs(state, io);
  reportWindSetup(state, io);
  reportWaveGrowth(state, io);
  computeOffshoreWaveLength(state);
  reportOffshoreWave(state, io);
  computeLocalWaveLength(state);
  reportLocalWave(state, io);
  if (!reportHeightStatistics(state, io)) return;
  reportClassExposure(state, io);
  reportTransport(state, io);
}

// Writes the message of the error that ended the run after what the console held; a failure
// to write the held text is moot by then.
int reportRunError(RunIo& io, const std::string& message, int exitStatus) {
  releaseHeldConsole();
  *io.errors << message << '\n';
  io.errors->flush();
  return exitStatus;
}

}  // namespace

int runCase(RunIo& io) {
  CaseState state;
  int exitStatus = kExitNormal;
  try {
    runStages(state, io);
    releaseConsole(io);
  } catch (const RunError& error) {
    exitStatus = reportRunError(io, error.message, error.exitStatus);
  } catch (const MathError& error) {
    exitStatus = reportRunError(io, error.message, kExitMathError);
  }
  closeFiles(io);
  return exitStatus;
}
