#include "run_command.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <stdexcept>
#include <string>

namespace littoral {
namespace {

// Whether the process has read all of its input and waits in a read for more: the pipe is
// empty and the process sleeps.
bool waitsForInput(pid_t child, int inFd) {
  int unread = 0;
  if (ioctl(inFd, FIONREAD, &unread) != 0 || unread > 0) return false;
  std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
  std::string field;
  for (int i = 0; i < 3 && stat >> field; ++i) {
  }
  return field == "S";
}

[[noreturn]] void execInChild(const std::vector<std::string>& arguments,
                              const CommandOptions& options, const int (&in)[2],
                              const int (&out)[2], const int (&err)[2]) {
  dup2(in[0], STDIN_FILENO);
  dup2(out[1], STDOUT_FILENO);
  dup2(err[1], STDERR_FILENO);
  for (const int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
  if (!options.outputFile.empty()) {
    const int fd = open(options.outputFile.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(127);
    close(fd);
  }
  if (options.userId >= 0 && (setgroups(0, nullptr) != 0 || setgid(gid_t(options.userId)) != 0 ||
                              setuid(uid_t(options.userId)) != 0)) {
    _exit(127);
  }
  if (chdir(options.directory.c_str()) != 0) _exit(127);
  if (options.fileSizeLimit > 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead of ending the process
    const rlimit limit{rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<char*> argv = {const_cast<char*>("littoral")};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execv(LITTORAL_BINARY, argv.data());
  _exit(127);
}

}  // namespace

CommandOutcome runCommand(const std::vector<std::string>& arguments,
                          const CommandOptions& options) {
  signal(SIGPIPE, SIG_IGN);
  int in[2];
  int out[2];
  int err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) execInChild(arguments, options, in, out, err);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  CommandOutcome outcome;
  std::string input = options.input;
  std::vector<std::size_t> pieceEnds;  // the input that may be written at each interval
  for (const std::string& piece : options.inputPieces) {
    input += piece;
    pieceEnds.push_back(input.size());
  }
  int inFd = in[1];
  int fds[2] = {out[0], err[0]};
  std::size_t written = 0;
  const auto start = std::chrono::steady_clock::now();
  bool signalled = false;
  bool repeated = false;
  std::chrono::steady_clock::duration signalledAt{};
  while (fds[0] >= 0 || fds[1] >= 0) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed > std::chrono::seconds(60)) {
      kill(child, SIGKILL);
      throw std::runtime_error("littoral did not finish within 60 seconds");
    }
    const auto intervals =
        std::size_t(elapsed / std::chrono::milliseconds(std::max(1, options.pieceIntervalMs)));
    const std::size_t writable =
        pieceEnds.empty() ? input.size() : pieceEnds[std::min(intervals, pieceEnds.size() - 1)];
    if (inFd >= 0 && written == input.size() && options.signal == 0 &&
        intervals >= pieceEnds.size()) {
      close(inFd);
      inFd = -1;
      outcome.outBeforeInputEnd = outcome.out;
    }
    const bool signalDue = options.signalAfterMs > 0
                               ? elapsed > std::chrono::milliseconds(options.signalAfterMs)
                               : written == input.size() &&
                                     elapsed > std::chrono::milliseconds(100) &&
                                     waitsForInput(child, inFd);
    if (options.signal != 0 && !signalled && signalDue) {
      kill(child, options.signal);
      signalled = true;
      signalledAt = elapsed;
    }
    if (signalled && !repeated && options.repeatSignalAfterMs > 0 &&
        elapsed - signalledAt > std::chrono::milliseconds(options.repeatSignalAfterMs)) {
      kill(child, options.signal);
      repeated = true;
    }
    const int pendingInput = inFd >= 0 && written < writable ? inFd : -1;
    pollfd polled[3] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}, {pendingInput, POLLOUT, 0}};
    const int wait = signalled && !repeated ? 1 : 50;
    if (poll(polled, 3, wait) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const ssize_t n = read(fds[i], buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? outcome.out : outcome.errors).append(buffer, std::size_t(n));
      } else {
        close(fds[i]);
        fds[i] = -1;
      }
    }
    if ((polled[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const ssize_t n = write(inFd, input.data() + written, writable - written);
      written = n > 0 ? written + std::size_t(n) : input.size();
    }
  }
  if (inFd >= 0) close(inFd);
  int status = 0;
  waitpid(child, &status, 0);
  outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

}  // namespace littoral
