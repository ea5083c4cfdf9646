#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "exp_lanes.hpp"

// The arithmetic of one pass of the wave length iteration for 32 storms at once, each lane as
// iterateWaveLength works its pass, bit for bit: four vectors of eight, or eight of four, whose
// chains of division, exp and division overlap.

namespace littoral {

// The lanes' inputs and results. A lane's pass from its start length L: kd = 2 pi d / L limited
// to 2 pi, tanh(kd) from exp(kd) and exp(-kd), the length term lo tanh(kd) (a single in the
// local use) and the end length (L + lo tanh(kd)) / 2.
struct PassRound {
  static constexpr std::size_t kWidth = 32;
  alignas(64) std::array<float, kWidth> startLength{};
  alignas(64) std::array<float, kWidth> twoPiDepth{};
  alignas(64) std::array<float, kWidth> twoPi{};
  alignas(64) std::array<float, kWidth> lo{};
  std::uint32_t localUse = 0;  // a bit a lane
  alignas(64) std::array<float, kWidth> endLength{};
  alignas(64) std::array<double, kWidth> tanhKd{};
  alignas(64) std::array<double, kWidth> lengthTerm{};
};

// Works out the pass of each lane whose kd lies from 2^-54 to 354 in size, where none of the
// pass's exps can fail and each is on the vector exp's main path; returns those lanes, a bit
// each. The other lanes' results are left undefined: their passes run alone.
using PassRoundKernel = std::uint32_t (*)(PassRound& round);

// The kernel of an exp way, which must run here; the scalar one runs anywhere.
PassRoundKernel passRoundKernel(ExpLanes way);

}  // namespace littoral
