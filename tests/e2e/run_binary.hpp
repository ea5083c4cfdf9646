#pragma once

#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace littoral {
// What one run of the real binary left behind.
struct RunOutcome {
  std::string console;  // standard output
  std::string errors;   // standard error
  int exitStatus = -1;  // the exit code, or -1 when the process was killed by a signal
  std::optional<std::string> report;   // Output.out, if it exists
  std::optional<std::string> results;  // RESULTS.out, if it exists
  long maxResidentKb = 0;              // the process's peak memory
};

struct RunOptions {
  // Called with the working directory before the binary starts.
  std::function<void(const std::string& directory)> prepare;
  // An existing working directory, kept afterwards; by default a fresh one, removed.
  std::string directory;
  // Standard input from this file instead of the answers (e.g. /dev/zero).
  std::string inputFile;
  // Standard descriptors that are closed when the binary starts.
  std::vector<int> closedStreams;
  // When not zero, files may not grow beyond this many bytes (SIGXFSZ ignored: EFBIG).
  long fileSizeLimit = 0;

  // One step may be taken during the run, at the first of these moments that is set: as soon
  // as the console shows `after`; as soon as Output.out holds `reportHolds` (the console is not
  // read before, so a program with much to say is stopped by the full pipe and still at work);
  // or once the console pipe is full (`consoleFull`; the console is not read before). Until the
  // step, standard input stays open after the answers; after it, answersAfter is written and
  // the input closed.
  std::string after;
  std::string reportHolds;
  bool consoleFull = false;

  // The step: a signal, to the process or to its process group as a terminal sends it.
  int signal = 0;
  bool signalGroup = false;
  // With consoleFull: the console is read again only once the process has ended; or, with
  // drainConsoleFirst, the process is stopped, the pipe emptied, signalled and continued.
  bool drainConsoleFirst = false;
  // Close the reading end of the console, as `littoral | head -1` does.
  bool closeConsole = false;
  // Anything else to do at that moment, e.g. start other runs in the same directory.
  std::function<void()> action;
  std::string answersAfter;
};

// Runs littoral with the answers on its standard input.
RunOutcome runLittoral(const std::string& answers, const RunOptions& options = {});

// A fresh temporary directory.
std::string makeScratchDirectory();

// The console text of records written with CR LF endings, from lines given without them.
std::string records(std::initializer_list<const char*> lines);

// The console events and how each must end the run.
struct ConsoleEvent {
  int signal;
  const char* message;
  int exitStatus;
};

inline const ConsoleEvent kEvents[] = {
    {SIGINT, "forrtl: error (200): program aborting due to control-C event\n", 130},
    {SIGQUIT, "forrtl: error (200): program aborting due to control-BREAK event\n", 131},
    {SIGHUP, "forrtl: error (200): program aborting due to window-CLOSE event\n", 129},
    {SIGTERM, "forrtl: error (200): program aborting due to SIGTERM event\n", 143},
};

}  // namespace littoral
