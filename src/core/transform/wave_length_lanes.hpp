#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "exp_lanes.hpp"

// The arithmetic of one pass of the wave length iteration for 32 storms at once, each lane as
// iterateWaveLength works its pass, bit for bit: four vectors of eight, or eight of four, whose
// chains of division, exp and division overlap.

namespace littoral {

// The passes of an iteration: it stops at the 30th, or at a pass that ends where it started.
inline constexpr std::int32_t kWaveLengthPasses = 30;

// The lanes' inputs and results. A lane's pass from its start length L: kd = 2 pi d / L limited
// to 2 pi, tanh(kd) from exp(kd) and exp(-kd), the length term lo tanh(kd) (a single in the
// local use) and the end length (L + lo tanh(kd)) / 2. A lane whose pass was not its last moves
// on: its end length becomes its start length for the next round.
struct PassRound {
  static constexpr std::size_t kWidth = 32;
  alignas(64) std::array<float, kWidth> startLength{};
  alignas(64) std::array<std::int32_t, kWidth> passes{};  // passes run, this round's counted
  alignas(64) std::array<float, kWidth> twoPiDepth{};
  alignas(64) std::array<float, kWidth> twoPi{};
  alignas(64) std::array<float, kWidth> lo{};
  std::uint32_t localUse = 0;  // a bit a lane
  alignas(64) std::array<float, kWidth> endLength{};
  alignas(64) std::array<double, kWidth> tanhKd{};
  alignas(64) std::array<double, kWidth> lengthTerm{};
};

// The lanes of a round, a bit each: those whose pass was worked out, and of those the ones whose
// pass was the last.
struct RoundLanes {
  std::uint32_t computed = 0;
  std::uint32_t ended = 0;
};

// Works out the pass of each lane whose kd lies from 2^-54 to 354 in size, where none of the
// pass's exps can fail and each is on the vector exp's main path, counts it and moves the lane
// on unless it was its last. The other lanes are left as they were: their passes run alone.
using PassRoundKernel = RoundLanes (*)(PassRound& round);

// The kernel of an exp way, which must run here; the scalar one runs anywhere.
PassRoundKernel passRoundKernel(ExpLanes way);

}  // namespace littoral
