#include "run_errors.hpp"

#include <unistd.h>

#include <csignal>
#include <cstring>

#include "held_console.hpp"

namespace {

[[noreturn]] void raiseSevere(int number, const std::string& message) {
  throw RunError{"forrtl: severe (" + std::to_string(number) + "): " + message, kExitRunTimeError};
}

std::string onConsole() { return ", unit -4, file CONIN$"; }

std::string onFile(int unit, const std::string& fileName) {
  return ", unit " + std::to_string(unit) + ", file " + fileName;
}

const char* eventMessage(int signalNumber) {
  switch (signalNumber) {
    case SIGINT:
      return "forrtl: error (200): program aborting due to control-C event\n";
    case SIGQUIT:
      return "forrtl: error (200): program aborting due to control-BREAK event\n";
    default:
      return "forrtl: error (200): program aborting due to window-CLOSE event\n";
  }
}

// Runs on the signal; only async-signal-safe calls.
extern "C" void endOnConsoleEvent(int signalNumber) {
  releaseHeldConsoleOnSignal();
  const char* message = eventMessage(signalNumber);
  ssize_t ignored = write(STDERR_FILENO, message, std::strlen(message));
  (void)ignored;
  _exit(128 + signalNumber);
}

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
  const int events[] = {SIGINT, SIGQUIT, SIGHUP};
  for (const int signalNumber : events) {
    sigaddset(&action.sa_mask, signalNumber);  // one event message, never two interleaved
  }
  for (const int signalNumber : events) {
    sigaction(signalNumber, &action, nullptr);
  }
}
