#include "held_console.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

char held[1 << 16];
volatile std::sig_atomic_t heldSize = 0;  // bytes of complete records in held
volatile std::sig_atomic_t heldFd = -1;

// The console events, held back while the hold is written so that a handler never writes the
// same text twice.
sigset_t consoleEvents() {
  sigset_t events;
  sigemptyset(&events);
  sigaddset(&events, SIGINT);
  sigaddset(&events, SIGQUIT);
  sigaddset(&events, SIGHUP);
  return events;
}

}  // namespace

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool holdConsoleText(int fd, std::string_view text) {
  heldFd = fd;
  if (std::size_t(heldSize) + text.size() > sizeof held && !releaseHeldConsole()) return false;
  if (text.size() > sizeof held) return writeAll(fd, text);
  std::memcpy(held + heldSize, text.data(), text.size());
  heldSize = heldSize + static_cast<int>(text.size());  // the records count once copied whole
  return true;
}

bool releaseHeldConsole() {
  if (heldSize == 0) return true;
  const sigset_t events = consoleEvents();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &events, &previous);
  const bool written = writeAll(heldFd, std::string_view(held, std::size_t(heldSize)));
  heldSize = 0;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return written;
}

void releaseHeldConsoleOnSignal() {
  if (heldSize > 0 && heldFd >= 0) writeAll(heldFd, std::string_view(held, std::size_t(heldSize)));
  heldSize = 0;
}
