#pragma once

#include <cstdint>

#include "run_io.hpp"

// List-directed reads of one value from the console. The value is the first one on the next
// line that holds any; the rest of that line is ignored. A null value (a leading comma or r*)
// or a slash leaves the variable as it was. A malformed value (or one over 4096 characters),
// broken list syntax or the end of the input ends the run with errors 64, 59 and 24. The
// answers are read a character at a time: however long a line, only its value is kept.

namespace littoral {

// A real, converted directly from its decimal digits to the nearest single.
void readValue(RunIo& io, float& variable);

// An integer, read as a double and truncated toward zero: 1.5 gives 1, -2.7 gives -2.
void readValue(RunIo& io, std::int32_t& variable);

}  // namespace littoral
