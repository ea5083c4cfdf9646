#pragma once

#include <sstream>
#include <string>

#include "console_dialogue.hpp"
#include "run_io.hpp"
#include "storm_sequence.hpp"

namespace littoral {
// The console and the report of a stage in memory, with the answers as console input, and the
// console dialogue to run stages on. The results file is the real RESULTS.out, opened by the
// stage that writes it.
struct StageIo {
  explicit StageIo(const std::string& answers = "") : input(answers) {
    bindConsole(io, input, console, errors);
    io.report = Destination{&report, -1, 41, "Output.out"};
    io.runCommand = [](const std::string&) {};
  }
  std::istringstream input;
  std::ostringstream console;
  std::ostringstream errors;
  std::ostringstream report;
  RunIo io;
  ConsoleDialogue dialogue{io};
  ShownValues shown;
};

}  // namespace littoral
