#include "command_line.hpp"
#include "driver.hpp"
#include "run_errors.hpp"
#include "run_io.hpp"

int main(int argc, char** argv) {
  using namespace littoral;
  occupyClosedStandardStreams();
  // Any argument is a command; without one the program is the interactive calculator.
  if (argc > 1) return runCommandLine(argc, argv);
  installConsoleEventHandlers();
  RunIo io;
  bindProcessConsole(io);
  io.runCommand = runSystemCommand;
  return runCase(io);
}
