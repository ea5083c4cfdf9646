#include "pause.hpp"

#include <istream>
#include <string>

#include "records.hpp"

namespace {

constexpr std::size_t kPauseLineLength = 1024;

}  // namespace

void pause(RunIo& io) {
  for (;;) {
    writeText(io.console, "Fortran Pause - Enter command<CR> or <CR> to continue.\n");
    releaseConsole(io);
    std::string line;
    if (!std::getline(*io.input, line)) return;  // the end of the input continues the run
    if (line.size() > kPauseLineLength) line.resize(kPauseLineLength);
    if (line.empty() || line[0] == '\r') return;
    if (line.back() == '\r') line.pop_back();  // a CR LF line ending is not part of the command
    io.runCommand(line);
  }
}
