#include "held_console.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include "run_errors.hpp"

namespace littoral {
namespace {

// held[heldStart, heldEnd) is the console text not yet written: complete records, except that
// the first may have been written in part.
char held[1 << 16];
volatile std::sig_atomic_t heldStart = 0;
volatile std::sig_atomic_t heldEnd = 0;
volatile std::sig_atomic_t heldFd = -1;

sigset_t consoleEvents() {
  sigset_t events;
  sigemptyset(&events);
  for (const int signalNumber : kConsoleEvents) sigaddset(&events, signalNumber);
  return events;
}

// The end of the longest run of whole records from `from` that one write of at most PIPE_BUF
// bytes takes: such a write to a pipe is all or nothing.
std::size_t chunkEnd(std::size_t from, std::size_t end) {
  if (end - from <= PIPE_BUF) return end;
  const std::string_view window(held + from, PIPE_BUF);
  const std::size_t lastNewline = window.rfind('\n');
  return lastNewline == std::string_view::npos ? from + PIPE_BUF : from + lastNewline + 1;
}

// Waits, with the console events let through, until the console takes a write.
void waitForRoom(int fd, const sigset_t& eventsAllowed) {
  pollfd console{fd, POLLOUT, 0};
  ppoll(&console, 1, nullptr, &eventsAllowed);  // an error shows in the write that follows
}

}  // namespace

bool holdConsoleText(int fd, std::string_view text) {
  heldFd = fd;
  while (!text.empty()) {
    const std::size_t room = sizeof held - std::size_t(heldEnd);
    std::size_t take = text.size();
    if (take > room) {  // as many whole records as there is room for
      const std::size_t lastNewline =
          room == 0 ? std::string_view::npos : text.rfind('\n', room - 1);
      take = lastNewline == std::string_view::npos ? 0 : lastNewline + 1;
      if (take == 0 && heldEnd == 0) take = room;  // a record longer than the hold, in pieces
    }
    if (take == 0) {
      if (!releaseHeldConsole()) return false;
      continue;
    }
    std::memcpy(held + heldEnd, text.data(), take);
    heldEnd = heldEnd + static_cast<int>(take);  // the records count once copied whole
    text.remove_prefix(take);
  }
  return true;
}

// The console events are blocked here except while waiting for room on the console, so that a
// handler never meets a write in flight: it knows exactly what was written, and never writes
// text twice or leaves a record out.
bool releaseHeldConsole() {
  if (heldEnd == 0) return true;
  const sigset_t events = consoleEvents();
  sigset_t eventsAllowed;
  sigprocmask(SIG_BLOCK, &events, &eventsAllowed);
  bool written = true;
  while (heldStart < heldEnd) {
    waitForRoom(heldFd, eventsAllowed);
    const std::size_t from = std::size_t(heldStart);
    const ssize_t n = write(heldFd, held + from, chunkEnd(from, std::size_t(heldEnd)) - from);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      written = false;
      break;
    }
    heldStart = heldStart + static_cast<int>(n);
  }
  heldStart = 0;
  heldEnd = 0;
  sigprocmask(SIG_SETMASK, &eventsAllowed, nullptr);
  return written;
}

void releaseHeldConsoleOnSignal() {
  const int fd = heldFd;
  std::size_t from = std::size_t(heldStart);
  const std::size_t end = std::size_t(heldEnd);
  heldStart = 0;
  heldEnd = 0;
  if (fd < 0 || from == end) return;
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  // Record by record, up to the first that the console does not take at once.
  while (from < end) {
    const void* newline = std::memchr(held + from, '\n', end - from);
    const std::size_t recordEnd =
        newline == nullptr ? end : std::size_t(static_cast<const char*>(newline) - held) + 1;
    if (write(fd, held + from, recordEnd - from) != ssize_t(recordEnd - from)) break;
    from = recordEnd;
  }
  if (flags >= 0) fcntl(fd, F_SETFL, flags);
}

void writeWithoutBlocking(int fd, std::string_view text) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  const ssize_t ignored = write(fd, text.data(), text.size());
  (void)ignored;
  if (flags >= 0) fcntl(fd, F_SETFL, flags);
}

}  // namespace littoral
