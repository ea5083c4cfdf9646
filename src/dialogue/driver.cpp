#include "driver.hpp"

#include <ostream>

#include "case_state.hpp"
#include "console_dialogue.hpp"
#include "held_console.hpp"
#include "run_errors.hpp"
#include "storm_sequence.hpp"

namespace littoral {
namespace {

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
  ShownValues shown;
  ConsoleDialogue dialogue(io);
  int exitStatus = kExitNormal;
  try {
    openReportFile(io);
    runStages(state, shown, dialogue);
    if (!shown.storm.error.empty()) {
      exitStatus = reportRunError(io, shown.storm.error, kExitMathError);
    } else {
      releaseConsole(io);
    }
  } catch (const RunError& error) {
    exitStatus = reportRunError(io, error.message, error.exitStatus);
  }
  closeFiles(io);
  return exitStatus;
}

}  // namespace littoral
