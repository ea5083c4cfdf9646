#include "run_binary.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A regular file's contents; nothing for a missing file or a device such as /dev/full.
std::optional<std::string> readFile(const std::filesystem::path& path) {
  if (!std::filesystem::is_regular_file(path)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe makePipe() {
  int ends[2];
  if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
  return Pipe{ends[0], ends[1]};
}

[[noreturn]] void execInChild(const std::string& directory, Pipe in, Pipe out, Pipe err) {
  dup2(in.read, STDIN_FILENO);
  dup2(out.write, STDOUT_FILENO);
  dup2(err.write, STDERR_FILENO);
  for (const int fd : {in.read, in.write, out.read, out.write, err.read, err.write}) close(fd);
  if (chdir(directory.c_str()) != 0) _exit(127);
  execl(LITTORAL_BINARY, "littoral", static_cast<char*>(nullptr));
  _exit(127);
}

// Feeds the answers and collects both output streams until the child closes them.
void exchange(pid_t child, const std::string& answers, const RunOptions& options,
              const std::string& directory, int inFd, int outFd, int errFd, RunOutcome& outcome) {
  fcntl(inFd, F_SETFL, O_NONBLOCK);
  const bool watchReport = !options.signalWhenReportHolds.empty();
  const bool keepInputOpen = !options.signalAfter.empty() || watchReport;
  std::size_t written = 0;
  bool signalled = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (outFd >= 0 || errFd >= 0) {
    if (inFd >= 0 && written == answers.size() && !keepInputOpen) {
      close(inFd);
      inFd = -1;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      throw std::runtime_error("littoral did not finish within 30 seconds");
    }
    const int pendingInput = inFd >= 0 && written < answers.size() ? inFd : -1;
    const bool holdConsole = watchReport && !signalled;
    pollfd fds[3] = {
        {holdConsole ? -1 : outFd, POLLIN, 0}, {errFd, POLLIN, 0}, {pendingInput, POLLOUT, 0}};
    if (poll(fds, 3, 100) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? outcome.console : outcome.errors).append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        (i == 0 ? outFd : errFd) = -1;
      }
    }
    if ((fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const ssize_t n = write(inFd, answers.data() + written, answers.size() - written);
      // A closed input (the program has ended) counts as all written.
      written = n > 0 ? written + static_cast<std::size_t>(n) : answers.size();
    }
    if (watchReport && !signalled) {
      const std::optional<std::string> report = readFile(directory + "/Output.out");
      if (report && report->find(options.signalWhenReportHolds) != std::string::npos) {
        kill(child, options.signal);
        signalled = true;
      }
    }
    if (!options.signalAfter.empty() && !signalled &&
        outcome.console.find(options.signalAfter) != std::string::npos) {
      usleep(50000);  // let the program reach its read
      kill(child, options.signal);
      signalled = true;
    }
  }
  if (inFd >= 0) close(inFd);
}

}  // namespace

RunOutcome runLittoral(const std::string& answers, const RunOptions& options) {
  std::string pattern = (std::filesystem::temp_directory_path() / "littoral-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  const std::string directory = pattern;
  if (options.prepare) options.prepare(directory);

  signal(SIGPIPE, SIG_IGN);
  const Pipe in = makePipe();
  const Pipe out = makePipe();
  const Pipe err = makePipe();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) execInChild(directory, in, out, err);
  close(in.read);
  close(out.write);
  close(err.write);

  RunOutcome outcome;
  exchange(child, answers, options, directory, in.write, out.read, err.read, outcome);
  int status = 0;
  waitpid(child, &status, 0);
  outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.report = readFile(std::filesystem::path(directory) / "Output.out");
  outcome.results = readFile(std::filesystem::path(directory) / "RESULTS.out");
  std::filesystem::remove_all(directory);
  return outcome;
}

std::string records(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}
