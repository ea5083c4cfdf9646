#include "wave_length_lanes.hpp"

#include <bit>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace littoral {
namespace {

// A length or depth term: mostly ordinary, now and then zero, tiny, subnormal, huge, negative,
// infinite or NaN.
float withExtremes(std::mt19937& generator, float ordinary) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  static constexpr float kExtremes[] = {0.0f,  -0.0f,   1e-30f, 1e-40f, 1e30f,
                                        -3.0f, 3.4e38f, 1e-20f, kInf,   kNaN};
  if (generator() % 8 != 0) return ordinary;
  return kExtremes[generator() % std::size(kExtremes)];
}

PassRound randomRound(std::mt19937& generator) {
  std::uniform_real_distribution<float> unit(0, 1);
  PassRound round;
  for (std::size_t lane = 0; lane < PassRound::kWidth; ++lane) {
    round.lo[lane] = withExtremes(generator, 1 + 500 * unit(generator));
    round.startLength[lane] = withExtremes(generator, round.lo[lane] * (0.2f + unit(generator)));
    round.twoPiDepth[lane] = withExtremes(generator, 6.2831855f * 60 * unit(generator));
    round.twoPi[lane] = 6.2831855f;
    round.passes[lane] = std::int32_t(generator() % 4 == 0 ? 29 : generator() % 29);
  }
  round.localUse = std::uint32_t(generator());
  return round;
}

bool sameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Each vector kernel that runs here works out the same lanes as the scalar kernel, ends the same
// ones, and gives the same bits of each result and the same counts, on ordinary passes and on
// every kind of extreme.
TEST(PassRound, EachVectorKernelGivesTheScalarKernelsBits) {
  const PassRoundKernel scalar = passRoundKernel(ExpLanes::scalar);
  std::mt19937 generator(5);
  std::size_t computedLanes = 0;
  std::size_t endedLanes = 0;
  for (const ExpLanes way : {ExpLanes::avx2, ExpLanes::avx512}) {
    if (!runsExpLanes(way)) continue;
    const PassRoundKernel vector = passRoundKernel(way);
    for (int i = 0; i < 20000; ++i) {
      PassRound expected = randomRound(generator);
      PassRound got = expected;
      const RoundLanes expectedLanes = scalar(expected);
      const RoundLanes gotLanes = vector(got);
      ASSERT_EQ(gotLanes.computed, expectedLanes.computed) << int(way) << " " << i;
      ASSERT_EQ(gotLanes.ended, expectedLanes.ended) << int(way) << " " << i;
      computedLanes += std::size_t(std::popcount(expectedLanes.computed));
      endedLanes += std::size_t(std::popcount(expectedLanes.ended));
      for (std::size_t lane = 0; lane < PassRound::kWidth; ++lane) {
        if (((expectedLanes.computed >> lane) & 1) == 0) continue;
        ASSERT_TRUE(sameBits(got.endLength[lane], expected.endLength[lane])) << i << " " << lane;
        ASSERT_TRUE(sameBits(got.startLength[lane], expected.startLength[lane]))
            << i << " " << lane;
        ASSERT_TRUE(sameBits(got.tanhKd[lane], expected.tanhKd[lane])) << i << " " << lane;
        ASSERT_TRUE(sameBits(got.lengthTerm[lane], expected.lengthTerm[lane])) << i << " " << lane;
        ASSERT_EQ(got.passes[lane], expected.passes[lane]) << i << " " << lane;
      }
    }
  }
  // Most lanes are ordinary passes, which the kernels work out themselves; some are the last
  // pass of their iteration.
  if (runsExpLanes(ExpLanes::avx2)) {
    EXPECT_GT(computedLanes, 20000u * 32 / 2);
    EXPECT_GT(endedLanes, 20000u * 2);
  }
}

}  // namespace
}  // namespace littoral
