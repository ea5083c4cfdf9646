#include "run_io.hpp"

#include <unistd.h>
#include <cstdlib>
#include <istream>
#include <ostream>

#include "run_errors.hpp"

namespace {

void openFile(std::ofstream& file, Destination& destination, int unit, const char* fileName) {
  destination.unit = unit;
  destination.fileName = fileName;
  file.open(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file.is_open()) raiseOpenFailure(unit, fileName);
  destination.stream = &file;
}

void closeFile(std::ofstream& file, Destination& destination) {
  if (file.is_open()) file.close();
  destination.stream = nullptr;
}

}  // namespace

void bindConsole(RunIo& io, std::istream& input, std::ostream& output, std::ostream& errors) {
  io.input = &input;
  io.errors = &errors;
  io.console = Destination{&output, -1, "CONOUT$"};
}

void openReportFile(RunIo& io) { openFile(io.reportFile, io.report, 41, "Output.out"); }

void openResultsFile(RunIo& io) { openFile(io.resultsFile, io.results, 10, "RESULTS.out"); }

void closeFiles(RunIo& io) {
  closeFile(io.reportFile, io.report);
  closeFile(io.resultsFile, io.results);
}

void runSystemCommand(const std::string& command) {
  const std::string script = isatty(STDIN_FILENO) ? command : "exec </dev/null\n" + command;
  const int ignored = std::system(script.c_str());  // the command reports its own failures
  (void)ignored;
}
