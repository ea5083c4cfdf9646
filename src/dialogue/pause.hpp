#pragma once

#include "run_io.hpp"

namespace littoral {
// Prompts, then runs each non-empty line typed as a command and prompts again, until an empty
// line or the end of the input lets the run go on.
void pause(RunIo& io);

}  // namespace littoral
