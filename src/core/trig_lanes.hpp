#pragma once

#include <cstddef>

#include "numerics.hpp"

// The library's sin, cos and atan of many arguments at once, known within bounds. Where the C
// library is glibc on x86-64, its vector library (libmvec) works out 4 or 8 values a call, each
// within a few units in the last place of the true value, as the library's scalar functions are;
// the bounds are a margin around it (boundsAroundLaneValue), wide enough to hold the scalar
// value. A store of that value (storeTrig) that gives one single at both bounds gives the
// single of the library's value, and the library is called only where it does not.
// littoral_trig_check shows, for every argument that the stages make for these functions from
// their singles, that the bounds hold the library's value; a way is used only after its bounds
// have held it on a check set here.

namespace littoral {

enum class TrigLanes {
  none,    // no bounds: every value from the library
  avx2,    // four at a time
  avx512,  // eight at a time
};

// The arguments given bounds: from 2^-20 to 8 in size for sin and cos (the stages' angles lie
// within 2 pi), from 2^-20 to 2^20 for atan. Others, and NaNs and infinities, go to the library.
inline constexpr double kSmallestTrigLaneArgument = 0x1p-20;
inline constexpr double kLargestSineLaneArgument = 8;
inline constexpr double kLargestAtanLaneArgument = 0x1p20;
bool inTrigLaneRange(Trig function, double x);

// Whether this build has the way and this processor runs it.
bool runsTrigLanes(TrigLanes way);

// The widest way this processor runs whose bounds hold the library's values on the check set;
// chosen once.
TrigLanes bestTrigLanes();

// For i below count, values[i] is the vector library's function of x[i] where x[i] is in range,
// whose bounds (boundsAroundLaneValue) hold checkedTrig(function, x[i]), and NaN elsewhere; by
// the way, which must run here (none gives every value NaN).
void trigLaneValues(TrigLanes way, Trig function, const double* x, double* values,
                    std::size_t count);

}  // namespace littoral
