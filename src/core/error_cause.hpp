#pragma once

#include "littoral/storm.hpp"
#include "storm_sequence.hpp"

// The input behind a storm's math error: the first answer, in the order the stages use them,
// that the method cannot take and that leads to such an error.

namespace littoral {

enum class ErrorReason {
  none,                // the storm has no math error
  noUnitSystem,        // gravity of 30 chooses neither unit system
  notPositive,         // the answer must be more than zero
  deepWaterLightWind,  // g d / ua^2 beyond what the growth laws take
  angleBeyondNormal,   // the wave comes from 90 degrees or more off the shore normal
  unexplained,         // no single answer explains it
};

struct ErrorCause {
  ErrorReason reason = ErrorReason::none;
  Question answer = Question::gravity;  // the answer named, unless none or unexplained
};

// The non-dimensional depth g d / ua^2 above which the growth laws' depth term has no tanh.
inline constexpr double kLargestGrowthDepth = 922.6;

ErrorCause findErrorCause(const StormAnswers& answers, const StormValues& values);

}  // namespace littoral
