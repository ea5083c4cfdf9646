#include "run_errors.hpp"

#include <unistd.h>

#include <csignal>
#include <string_view>

#include "held_console.hpp"

namespace littoral {
namespace {

[[noreturn]] void raiseSevere(int number, const std::string& message) {
  throw RunError{"forrtl: severe (" + std::to_string(number) + "): " + message, kExitRunTimeError};
}

std::string onConsole() { return ", unit -4, file CONIN$"; }

std::string onFile(int unit, const std::string& fileName) {
  return ", unit " + std::to_string(unit) + ", file " + fileName;
}

std::string_view eventMessage(int signalNumber) {
  switch (signalNumber) {
    case SIGINT:
      return "forrtl: error (200): program aborting due to control-C event\n";
    case SIGQUIT:
      return "forrtl: error (200): program aborting due to control-BREAK event\n";
    case SIGTERM:
      return "forrtl: error (200): program aborting due to SIGTERM event\n";
    default:
      return "forrtl: error (200): program aborting due to window-CLOSE event\n";
  }
}

// Runs on the signal; only async-signal-safe calls, none that waits for a reader.
extern "C" void endOnConsoleEvent(int signalNumber) {
  releaseHeldConsoleOnSignal();
  writeWithoutBlocking(STDERR_FILENO, eventMessage(signalNumber));
  _exit(128 + signalNumber);
}

// A console closed under the run makes the write fail with EPIPE, reported as a write failure.
// A handler rather than SIG_IGN, which the commands run at a pause would inherit.
extern "C" void continueOnBrokenPipe(int) {}

}  // namespace

void raiseEndOfFile() { raiseSevere(24, "end-of-file during read" + onConsole()); }

void raiseSyntaxError() { raiseSevere(59, "list-directed I/O syntax error" + onConsole()); }

void raiseConversionError() { raiseSevere(64, "input conversion error" + onConsole()); }

void raiseOpenFailure(int unit, const std::string& fileName) {
  raiseSevere(30, "open failure" + onFile(unit, fileName));
}

void raiseWriteFailure(int unit, const std::string& fileName) {
  raiseSevere(38, "error during write" + onFile(unit, fileName));
}

void installConsoleEventHandlers() {
  struct sigaction action {};
  action.sa_handler = endOnConsoleEvent;
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : kConsoleEvents) {
    sigaddset(&action.sa_mask, signalNumber);  // one event message, never two interleaved
  }
  for (const int signalNumber : kConsoleEvents) {
    sigaction(signalNumber, &action, nullptr);
  }
  struct sigaction brokenPipe {};
  brokenPipe.sa_handler = continueOnBrokenPipe;
  sigemptyset(&brokenPipe.sa_mask);
  sigaction(SIGPIPE, &brokenPipe, nullptr);
}

}  // namespace littoral
