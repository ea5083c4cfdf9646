#pragma once

#include <sstream>
#include <string>

#include "run_io.hpp"

// The console and both files of a stage run in memory, with the answers as console input.
struct StageIo {
  explicit StageIo(const std::string& answers = "") : input(answers) {
    bindConsole(io, input, console, errors);
    io.report = Destination{&report, 41, "Output.out"};
    io.results = Destination{&results, 10, "RESULTS.out"};
    io.runCommand = [](const std::string&) {};
  }
  std::istringstream input;
  std::ostringstream console;
  std::ostringstream errors;
  std::ostringstream report;
  std::ostringstream results;
  RunIo io;
};
