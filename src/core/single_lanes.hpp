#pragma once

// The stages' arithmetic on eight storms at once, for the kernels that take a step of many
// storms side by side (growth_lanes, transport_lanes): each lane holds a storm's double, stores
// round it to single as toSingle does, and a store worked at both ends of a margin is sure where
// both ends give one single. The steps are written once, in the names of lane_ways.hpp, and
// run in the way of the processor (lane_steps.inc). Only where LITTORAL_EXP_LANES_X86 is defined.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "exp_lanes.hpp"
#include "lane_ways.hpp"
#include "numerics.hpp"

namespace littoral {

// Whether the steps of eight storms at once run here: where the exp way chosen is a vector way.
inline bool runsStormLanes() {
  const ExpLanes way = bestExpLanes();
  return way == ExpLanes::avx512 || way == ExpLanes::avx2;
}

// Whether they run in the AVX-512 way (lane_ways.hpp); else, where they run, in the AVX2 way.
inline bool runsEightWideLanes() { return bestExpLanes() == ExpLanes::avx512; }

}  // namespace littoral

#ifdef LITTORAL_EXP_LANES_X86

namespace littoral::single_lanes {

inline constexpr std::size_t kWidth = 8;

// A value of each lane, as a single or as a double.
using Singles = std::array<float, kWidth>;
using Doubles = std::array<double, kWidth>;

// The margin either side of the lanes' pow (power_kernels.hpp), relative to it: the lanes' pow
// is within 2^-51 of the library's.
inline constexpr double kPowerLaneMargin = 0x1p-46;

}  // namespace littoral::single_lanes

#endif  // LITTORAL_EXP_LANES_X86
