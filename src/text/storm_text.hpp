#pragma once

#include <string>
#include <string_view>

#include "littoral/storm.hpp"

// The result columns of a storm that are words: its warnings and the cause of its math error.

namespace littoral {

// The warnings column: "code: reason" items joined by "; " (angle-clamped, inside-surf-zone,
// local-deeper-than-offshore, breaking-capped, many-growth-passes, out-of-range-COLUMN), empty
// when there is none.
std::string warningsText(const StormAnswers& answers, const StormValues& values);

// warningsText written into a buffer of this thread's, valid until the thread's next call: a
// writer of many rows takes no fresh string a row.
std::string_view warningsTextInPlace(const StormAnswers& answers, const StormValues& values);

// The error_cause column: "COLUMN VALUE: what would work", naming the answer behind the math
// error; empty when the storm has none.
std::string errorCauseText(const StormAnswers& answers, const StormValues& values);

// A single as the shortest decimal that reads back as the same single: 9.81, 1e-30, -0.5.
std::string shortestText(float value);

}  // namespace littoral
