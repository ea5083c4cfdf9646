#pragma once

#include <string_view>

// The process's console output is held in memory and written when the program is about to wait
// for an answer, when the hold is full, at the end of the run and on a console event, so that a
// long growth loop costs one write per screenful instead of one per line. The files are never
// held: their records are written one statement at a time.

namespace littoral {

// Adds the complete records of one statement to the hold of the console on fd. Returns false
// when writing out a full hold failed.
bool holdConsoleText(int fd, std::string_view text);

// Writes out the held text, waiting for the console as long as it takes; a console event ends
// the run meanwhile. Returns false when the write failed; the text is dropped either way.
bool releaseHeldConsole();

// The same from a console event's handler: only async-signal-safe calls, whole records, and
// only as far as the console takes them without waiting.
void releaseHeldConsoleOnSignal();

// Writes what the descriptor takes of the text at once; safe in a signal handler.
void writeWithoutBlocking(int fd, std::string_view text);

}  // namespace littoral
