#pragma once

#include <cstdint>
#include <span>

#include "case_state.hpp"
#include "hindcast.hpp"

// The first pass of the growth loop for eight storms at once, each lane as startWaveGrowth,
// beginGrowthPass and endGrowthPass work it for one storm, bit for bit: the same divisions,
// square roots, conversions to single and back, comparisons and exps (exp_kernels), in vector
// lanes, so that the storms' chains of square root, exp and division overlap. The two pow calls
// of a pass (the duration's period and FF^(1/3)) stay the library's, one storm at a time.

namespace littoral {

// A storm about to take its first growth pass: its state after the wind's adjustment, the growth
// the pass leaves, and whether the pass asked for another.
struct GrowthLane {
  CaseState* state = nullptr;
  WaveGrowth* growth = nullptr;
  bool anotherPass = false;
};

inline constexpr std::size_t kGrowthLanes = 8;

// Works out the first growth pass of each of up to eight storms where no step of it can fail,
// each exp lies on the vector exp's main path and each power worked from square roots stores
// the single of the library's pow, and returns a bit for each storm so done. The other storms
// are left as they were, for their own pass. Runs only where runsStormLanes(); elsewhere it does
// nothing and returns 0.
std::uint32_t beginGrowthSideBySide(std::span<GrowthLane> lanes);

// A storm whose first growth pass asked for another: its state and growth as that pass left
// them.
struct LastPassLane {
  CaseState* state = nullptr;
  WaveGrowth* growth = nullptr;
};

// Finds and runs the last growth pass of each of up to eight storms, as beginLastGrowthPass and
// endGrowthPass do for one storm, where the estimated last pass (estimateLastGrowthPass) is the
// last, below the 4096th, the fetch still shrinks there, no step can fail and each exp lies on
// the vector exp's main path; returns a bit for each storm so done. The fetches of the passes
// are cut side by side; the pows of FF^(1/3) stay the library's. The other storms are left as
// they were, for their own search. Runs where beginGrowthSideBySide does; elsewhere it does
// nothing and returns 0.
std::uint32_t endGrowthSideBySide(std::span<LastPassLane> lanes);

}  // namespace littoral
