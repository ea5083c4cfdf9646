#pragma once

#include <string>
#include <vector>

namespace littoral {
// Runs littoral with arguments, as a command rather than the dialogue.
struct CommandOutcome {
  std::string out;                // standard output
  std::string errors;             // standard error
  int exitStatus = -1;            // the exit code, or -1 when a signal ended the process
  std::string outBeforeInputEnd;  // standard output as it was when standard input was closed
};

struct CommandOptions {
  std::string directory = ".";  // the working directory
  std::string input;            // standard input
  // When set, standard input is these pieces instead, one every pieceInterval, and is closed
  // one interval after the last.
  std::vector<std::string> inputPieces = {};
  int pieceIntervalMs = 0;
  // When set, standard input stays open after the input, and this signal is sent once the
  // program has read it all and waits for more.
  int signal = 0;
  // When set, files the program writes may grow to this many bytes and no further.
  long fileSizeLimit = 0;
  // When set, the signal is sent this long after the start instead, whatever the program does.
  int signalAfterMs = 0;
  // When set, the signal is sent a second time this long after the first.
  int repeatSignalAfterMs = 0;
  // When set, standard output is appended to this file instead of being collected.
  std::string outputFile = {};
  // When set, the program runs as this user (and group of the same number).
  int userId = -1;
};

CommandOutcome runCommand(const std::vector<std::string>& arguments,
                          const CommandOptions& options = {});

}  // namespace littoral
