#include "run_io.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <ostream>

#include "held_console.hpp"
#include "run_errors.hpp"

extern char** environ;

namespace littoral {

namespace {

// The run owns its file until it closes it: a file that another run in the same directory holds
// is an open failure, and is neither cut nor written.
void openFile(Destination& destination, int unit, const char* fileName) {
  destination.unit = unit;
  destination.fileName = fileName;
  destination.length = 0;
  const int fd = open(fileName, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) raiseOpenFailure(unit, fileName);
  // A file system without locks does not stop the run.
  const bool heldElsewhere = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  struct stat status {};
  if (heldElsewhere || fstat(fd, &status) != 0 ||
      (S_ISREG(status.st_mode) && ftruncate(fd, 0) != 0)) {
    close(fd);
    raiseOpenFailure(unit, fileName);
  }
  destination.fd = fd;
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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!isatty(STDIN_FILENO)) {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  // The command starts as from a shell: every signal at its default and none blocked.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigfillset(&signals);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::string shell = "sh";
  std::string option = "-c";
  std::string script = command;
  char* const arguments[] = {shell.data(), option.data(), script.data(), nullptr};
  pid_t child = -1;
  const int failed = posix_spawn(&child, "/bin/sh", &actions, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return;  // like a command that is not found, the run goes on

  // A console event meanwhile ends the run in its handler; so does a command that it ended.
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGQUIT)) {
    raise(WTERMSIG(status));
  }
}

void writeText(Destination& destination, std::string_view text) {
  if (destination.held) {
    if (!holdConsoleText(destination.fd, text)) {
      raiseWriteFailure(destination.unit, destination.fileName);
    }
    return;
  }
  if (destination.fd < 0) {
    std::ostream& stream = *destination.stream;
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    stream.flush();
    if (!stream) raiseWriteFailure(destination.unit, destination.fileName);
    return;
  }
  if (!appendToFile(destination, text)) raiseWriteFailure(destination.unit, destination.fileName);
}

void writeRecord(Destination& destination, std::initializer_list<Item> items) {
  writeText(destination, layoutRecords(items));
}

}  // namespace littoral
