#include "run_io.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "held_console.hpp"
#include "run_errors.hpp"

namespace {

void openFile(Destination& destination, int unit, const char* fileName) {
  destination.unit = unit;
  destination.fileName = fileName;
  destination.length = 0;
  destination.fd = open(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (destination.fd < 0) raiseOpenFailure(unit, fileName);
}

void closeFile(Destination& destination) {
  if (destination.fd >= 0) close(destination.fd);
  destination.fd = -1;
}

}  // namespace

void occupyClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Read-only: reading gives the end of the input, writing fails.
    const int placeholder = open("/dev/null", O_RDONLY);
    if (placeholder >= 0 && placeholder != fd) {
      dup2(placeholder, fd);
      close(placeholder);
    }
  }
}

void bindConsole(RunIo& io, std::istream& input, std::ostream& output, std::ostream& errors) {
  io.input = &input;
  io.errors = &errors;
  io.console = Destination{&output, -1, -1, "CONOUT$"};
}

void bindProcessConsole(RunIo& io) {
  io.input = &std::cin;
  io.errors = &std::cerr;
  io.console = Destination{nullptr, STDOUT_FILENO, -1, "CONOUT$", true};
}

bool appendToFile(Destination& file, std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(file.fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const std::size_t lastNewline =
          done == 0 ? std::string_view::npos : text.rfind('\n', done - 1);
      const std::size_t whole = lastNewline == std::string_view::npos ? 0 : lastNewline + 1;
      // Fails harmlessly on a device such as /dev/full.
      const int ignored = ftruncate(file.fd, off_t(file.length + static_cast<long long>(whole)));
      (void)ignored;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  file.length += static_cast<long long>(text.size());
  return true;
}

void openReportFile(RunIo& io) { openFile(io.report, 41, "Output.out"); }

void openResultsFile(RunIo& io) { openFile(io.results, 10, "RESULTS.out"); }

void closeFiles(RunIo& io) {
  closeFile(io.report);
  closeFile(io.results);
}

void releaseConsole(RunIo& io) {
  if (io.console.held && !releaseHeldConsole()) {
    raiseWriteFailure(io.console.unit, io.console.fileName);
  }
}

void runSystemCommand(const std::string& command) {
  const std::string script = isatty(STDIN_FILENO) ? command : "exec </dev/null\n" + command;
  const int ignored = std::system(script.c_str());  // the command reports its own failures
  (void)ignored;
}
