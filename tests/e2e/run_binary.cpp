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
#include <limits.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace littoral {
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

// Close-on-exec, so that runs started side by side do not hold each other's pipes open.
Pipe makePipe() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  return Pipe{ends[0], ends[1]};
}

// The size of the console pipe when a test waits for it to fill: room for a whole screenful of
// held console text once it has been emptied.
constexpr int kFullConsolePipe = 1 << 17;

// Only async-signal-safe calls: the test may run several binaries from several threads.
[[noreturn]] void execInChild(const std::string& directory, const RunOptions& options, Pipe in,
                              Pipe out, Pipe err) {
  if (options.signalGroup) setpgid(0, 0);
  const int input = options.inputFile.empty() ? in.read : open(options.inputFile.c_str(), O_RDONLY);
  dup2(input, STDIN_FILENO);
  dup2(out.write, STDOUT_FILENO);
  dup2(err.write, STDERR_FILENO);
  for (const int fd : options.closedStreams) close(fd);
  if (options.fileSizeLimit > 0) {
    const rlimit limit{rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_IGN);
  }
  signal(SIGPIPE, SIG_DFL);  // as a shell starts it
  if (chdir(directory.c_str()) != 0) _exit(127);
  execl(LITTORAL_BINARY, "littoral", static_cast<char*>(nullptr));
  _exit(127);
}

// Feeds the answers, collects both output streams until the child closes them, and takes the
// step of the options at its moment.
class Exchange {
 public:
  Exchange(pid_t child, const std::string& answers, const RunOptions& options,
           std::string directory, int inFd, int outFd, int errFd, RunOutcome& outcome)
      : child_(child),
        input_(answers),
        options_(options),
        directory_(std::move(directory)),
        inFd_(inFd),
        outFd_(outFd),
        errFd_(errFd),
        outcome_(outcome),
        hasStep_(!options.after.empty() || !options.reportHolds.empty() || options.consoleFull) {
    if (inFd_ >= 0) fcntl(inFd_, F_SETFL, O_NONBLOCK);
    fcntl(outFd_, F_SETFL, O_NONBLOCK);
    if (options.consoleFull) fcntl(outFd_, F_SETPIPE_SZ, kFullConsolePipe);
  }

  void run() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (outFd_ >= 0 || errFd_ >= 0) {
      if (inFd_ >= 0 && written_ == input_.size() && (!hasStep_ || stepTaken_)) closeFd(inFd_);
      if (std::chrono::steady_clock::now() > deadline) {
        kill(child_, SIGKILL);
        throw std::runtime_error("littoral did not finish within 30 seconds");
      }
      const int pendingInput = inFd_ >= 0 && written_ < input_.size() ? inFd_ : -1;
      pollfd fds[3] = {{consoleIsRead() ? outFd_ : -1, POLLIN, 0},
                       {errFd_, POLLIN, 0},
                       {pendingInput, POLLOUT, 0}};
      if (poll(fds, 3, 10) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
      if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) readFrom(outFd_, outcome_.console);
      if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) readFrom(errFd_, outcome_.errors);
      if ((fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
        const ssize_t n = write(inFd_, input_.data() + written_, input_.size() - written_);
        // A closed input (the program has ended) counts as all written.
        if (n > 0) written_ += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) written_ = input_.size();
      }
      if (hasStep_ && !stepTaken_ && stepIsDue()) takeStep();
    }
    if (inFd_ >= 0) closeFd(inFd_);
  }

 private:
  static void closeFd(int& fd) {
    close(fd);
    fd = -1;
  }

  static void readFrom(int& fd, std::string& text) {
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      closeFd(fd);
    }
  }

  // The console is left unread until the step when the step waits for the program to be
  // stopped by it, and after the step until the end when the test wants it never read.
  bool consoleIsRead() const {
    if (errFd_ < 0) return true;  // the process has ended
    if (!stepTaken_) return options_.reportHolds.empty() && !options_.consoleFull;
    return !options_.consoleFull || options_.drainConsoleFirst;
  }

  bool stepIsDue() const {
    if (!options_.after.empty()) return outcome_.console.find(options_.after) != std::string::npos;
    if (!options_.reportHolds.empty()) {
      const std::optional<std::string> report = readFile(directory_ + "/Output.out");
      return report && report->find(options_.reportHolds) != std::string::npos;
    }
    // Half full and the process asleep: it waits for room on the console, since it waits for
    // nothing else while it has console text to write.
    int pending = 0;
    return ioctl(outFd_, FIONREAD, &pending) == 0 && pending >= fcntl(outFd_, F_GETPIPE_SZ) / 2 &&
           processState() == 'S';
  }

  char processState() const {
    const std::optional<std::string> stat = readFile("/proc/" + std::to_string(child_) + "/stat");
    const std::size_t nameEnd = stat ? stat->rfind(')') : std::string::npos;
    return nameEnd != std::string::npos && nameEnd + 2 < stat->size() ? (*stat)[nameEnd + 2] : '?';
  }

  void takeStep() {
    stepTaken_ = true;
    if (options_.action) options_.action();
    if (options_.closeConsole) closeFd(outFd_);
    if (options_.signal != 0) {
      if (!options_.after.empty()) usleep(50000);  // let the program reach its read
      if (options_.drainConsoleFirst) {
        kill(child_, SIGSTOP);
        int status = 0;
        waitpid(child_, &status, WUNTRACED);
        char buffer[65536];
        for (ssize_t n; (n = read(outFd_, buffer, sizeof buffer)) > 0;) {
          outcome_.console.append(buffer, static_cast<std::size_t>(n));
        }
      }
      kill(options_.signalGroup ? -child_ : child_, options_.signal);
      if (options_.drainConsoleFirst) kill(child_, SIGCONT);
    }
    input_ += options_.answersAfter;
  }

  pid_t child_;
  std::string input_;
  const RunOptions& options_;
  std::string directory_;
  int inFd_;
  int outFd_;
  int errFd_;
  RunOutcome& outcome_;
  bool hasStep_;
  bool stepTaken_ = false;
  std::size_t written_ = 0;
};

}  // namespace

std::string makeScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "littoral-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

RunOutcome runLittoral(const std::string& answers, const RunOptions& options) {
  const std::string directory =
      options.directory.empty() ? makeScratchDirectory() : options.directory;
  if (options.prepare) options.prepare(directory);

  signal(SIGPIPE, SIG_IGN);
  const Pipe in = makePipe();
  const Pipe out = makePipe();
  const Pipe err = makePipe();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) execInChild(directory, options, in, out, err);
  if (options.signalGroup) setpgid(child, child);
  close(in.read);
  close(out.write);
  close(err.write);
  int inFd = in.write;
  if (!options.inputFile.empty()) {
    close(inFd);
    inFd = -1;
  }

  RunOutcome outcome;
  Exchange(child, answers, options, directory, inFd, out.read, err.read, outcome).run();
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.maxResidentKb = usage.ru_maxrss;
  outcome.report = readFile(std::filesystem::path(directory) / "Output.out");
  outcome.results = readFile(std::filesystem::path(directory) / "RESULTS.out");
  if (options.directory.empty()) std::filesystem::remove_all(directory);
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

}  // namespace littoral
