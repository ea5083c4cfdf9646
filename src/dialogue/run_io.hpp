#pragma once

#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>

#include "records.hpp"

namespace littoral {
// Where the records of one destination go, and how a failed write names it. A file is written
// straight to its descriptor, one write per statement, so that a record is in the file the
// moment it is complete; the process's console is held until the next read; a test console is
// a stream.
struct Destination {
  std::ostream* stream = nullptr;
  int fd = -1;
  int unit = 0;
  std::string fileName;
  bool held = false;
  long long length = 0;  // bytes of the records written to the file
};

// The console and the two files of one run. The real program binds the process's console and
// the working directory; tests bind string streams.
struct RunIo {
  std::istream* input = nullptr;   // the answers
  std::ostream* errors = nullptr;  // run-time error messages
  Destination console;
  Destination report;   // Output.out, unit 41
  Destination results;  // RESULTS.out, unit 10
  // Runs a command typed at the pause and waits for it.
  void (*runCommand)(const std::string& command) = nullptr;
};

// Fills any of the standard descriptors 0, 1 and 2 that the process was started without, so
// that no file opened later takes its number: the answers then end at once, and the console
// and the error stream cannot be written.
void occupyClosedStandardStreams();

// Binds the console of a run to streams; the files stay closed.
void bindConsole(RunIo& io, std::istream& input, std::ostream& output, std::ostream& errors);

// Binds the console of a run to the process's standard input, output and error stream.
void bindProcessConsole(RunIo& io);

// Create or rewrite Output.out or RESULTS.out in the working directory, holding it until it is
// closed; an open failure, also a file that another run holds, ends the run with the severe
// error naming the unit and the file.
void openReportFile(RunIo& io);
void openResultsFile(RunIo& io);

// Appends the records of one statement to the file. A write that fails, or leaves part of the
// text unwritten (a full disk), cuts the file back to its last whole record and returns false.
bool appendToFile(Destination& file, std::string_view text);

// Flushes and closes whatever files are open.
void closeFiles(RunIo& io);

// Writes out the console text held back, before the program waits for an answer or ends; a
// failed write ends the run with the severe write error.
void releaseConsole(RunIo& io);

// Hands a command to the system's command interpreter and waits for it. When the answers do not
// come from a terminal the command reads no input, so it cannot swallow the answers that follow.
// A console event while it runs ends the run as usual, and so does a command that ends by an
// interrupt or a break.
void runSystemCommand(const std::string& command);

// Writes the records of one output statement, so that every completed record is in its file at
// once (the process console holds them until the next read); a failed write ends the run with
// the severe write error.
void writeRecord(Destination& destination, std::initializer_list<Item> items);

// Writes characters that are not a record (the pause prompt) like a record.
void writeText(Destination& destination, std::string_view text);

}  // namespace littoral
