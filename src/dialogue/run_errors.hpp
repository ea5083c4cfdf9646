#pragma once

#include <csignal>
#include <string>

namespace littoral {
// Exit statuses of the process.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitRunTimeError = 1;  // a "forrtl: severe" input or file error
inline constexpr int kExitMathError = 2;     // a math function's DOMAIN, OVERFLOW, ... error

// An input or file error that ends a run early: the message line for the error stream and the
// exit status. The dialogue throws it; runCase alone catches it, and a MathError too.
struct RunError {
  std::string message;
  int exitStatus = kExitRunTimeError;
};

// Severe input errors of a console read (unit -4, file CONIN$).
[[noreturn]] void raiseEndOfFile();
[[noreturn]] void raiseSyntaxError();
[[noreturn]] void raiseConversionError();

// Severe file errors naming the unit and the file.
[[noreturn]] void raiseOpenFailure(int unit, const std::string& fileName);
[[noreturn]] void raiseWriteFailure(int unit, const std::string& fileName);

// The console events: interrupt (Ctrl-C), break (Ctrl-\), close (the terminal hangs up) and
// termination.
inline constexpr int kConsoleEvents[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

// Makes each console event end the process with message 200 on the error stream and the exit
// status 128 + the signal number, after writing what it can of the held console text without
// waiting. Records are written to the files as they are completed, so nothing written before
// the event is lost. A console that closes under the run (SIGPIPE) becomes a write failure.
void installConsoleEventHandlers();

}  // namespace littoral
