#pragma once

#include "run_io.hpp"

namespace littoral {
// Runs one storm case on the console and files of io: the numeric environment, the report file,
// the stages in order, and the end of the run with both files flushed and closed. Returns the
// exit status; a run-time or math error is written to io.errors first.
int runCase(RunIo& io);

}  // namespace littoral
