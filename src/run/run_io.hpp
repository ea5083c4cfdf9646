#pragma once

#include <fstream>
#include <iosfwd>
#include <string>

// Where the records of one destination go, and how a failed write names it.
struct Destination {
  std::ostream* stream = nullptr;  // null until the file is opened
  int unit = 0;
  std::string fileName;
};

// The console and the two files of one run. The real program binds them to the process's
// streams and the working directory; tests bind string streams.
struct RunIo {
  std::istream* input = nullptr;   // the answers
  std::ostream* errors = nullptr;  // run-time error messages
  Destination console;
  Destination report;   // Output.out, unit 41
  Destination results;  // RESULTS.out, unit 10
  std::ofstream reportFile;
  std::ofstream resultsFile;
  // Runs a command typed at the pause and waits for it.
  void (*runCommand)(const std::string& command) = nullptr;
};

// Binds the console of a run; the files stay closed.
void bindConsole(RunIo& io, std::istream& input, std::ostream& output, std::ostream& errors);

// Create or rewrite Output.out or RESULTS.out in the working directory; an open failure ends
// the run with the severe error naming the unit and the file.
void openReportFile(RunIo& io);
void openResultsFile(RunIo& io);

// Flushes and closes whatever files are open.
void closeFiles(RunIo& io);

// Hands a command to the system's command interpreter and waits for it. When the answers do not
// come from a terminal the command reads no input, so it cannot swallow the answers that follow.
void runSystemCommand(const std::string& command);
