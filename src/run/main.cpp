#include <iostream>

#include "driver.hpp"
#include "run_errors.hpp"
#include "run_io.hpp"

int main() {
  installConsoleEventHandlers();
  RunIo io;
  bindConsole(io, std::cin, std::cout, std::cerr);
  io.runCommand = runSystemCommand;
  return runCase(io);
}
