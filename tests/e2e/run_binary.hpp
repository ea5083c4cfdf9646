#pragma once

#include <csignal>
#include <functional>
#include <optional>
#include <string>

// What one run of the real binary left behind.
struct RunOutcome {
  std::string console;  // standard output
  std::string errors;   // standard error
  int exitStatus = -1;  // the exit code, or -1 when the process was killed by a signal
  std::optional<std::string> report;   // Output.out, if it exists
  std::optional<std::string> results;  // RESULTS.out, if it exists
};

struct RunOptions {
  // Called with the fresh working directory before the binary starts.
  std::function<void(const std::string& directory)> prepare;
  // When set, standard input stays open after the answers, and the signal is sent as soon as
  // the console output contains signalAfter; otherwise the input ends after the answers.
  std::string signalAfter;
  int signal = 0;
  // When set instead, the signal is sent as soon as Output.out holds this text, and the console
  // is not read before: a program with much to say is then stopped by the full pipe, so the
  // signal is bound to find it still at work.
  std::string signalWhenReportHolds;
};

// Runs littoral in a fresh temporary directory with the answers on its standard input.
RunOutcome runLittoral(const std::string& answers, const RunOptions& options = {});

// The console text of records written with CR LF endings, from lines given without them.
std::string records(std::initializer_list<const char*> lines);

// The console events and the message that each must end the run with.
struct ConsoleEvent {
  int signal;
  const char* message;
};

inline const ConsoleEvent kEvents[] = {
    {SIGINT, "forrtl: error (200): program aborting due to control-C event\n"},
    {SIGQUIT, "forrtl: error (200): program aborting due to control-BREAK event\n"},
    {SIGHUP, "forrtl: error (200): program aborting due to window-CLOSE event\n"},
};
