#include "driver.hpp"
#include "run_errors.hpp"
#include "run_io.hpp"

int main() {
  occupyClosedStandardStreams();
  installConsoleEventHandlers();
  RunIo io;
  bindProcessConsole(io);
  io.runCommand = runSystemCommand;
  return runCase(io);
}
