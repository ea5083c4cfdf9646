#pragma once

#include <string_view>

// The process's console output is held in memory and written when the program is about to wait
// for an answer, when the hold is full, at the end of the run and on a console event, so that a
// long growth loop costs one write per screenful instead of one per line. The files are never
// held: their records are written one statement at a time.

// Writes the whole text to fd, resuming after interruptions; false when a write fails. Safe in
// a signal handler.
bool writeAll(int fd, std::string_view text);

// Adds the complete records of one statement to the hold of the console on fd. Returns false
// when writing out a full hold failed.
bool holdConsoleText(int fd, std::string_view text);

// Writes out the held text. Returns false when the write failed; the text is dropped either way.
bool releaseHeldConsole();

// The same from a signal handler: only async-signal-safe calls, and only complete records.
void releaseHeldConsoleOnSignal();
