#include "growth_lanes.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "math_error.hpp"
#include "numerics.hpp"
#include "single_lanes.hpp"

namespace littoral {
namespace {

// The bits of what a first growth pass leaves: the state's fetch, hs and ts, the growth's
// values, and whether it asked for another pass.
std::vector<std::uint32_t> passBits(const CaseState& state, const WaveGrowth& growth,
                                    bool anotherPass) {
  std::vector<std::uint32_t> bits;
  for (const float value :
       {state.fetch, state.hs, state.ts, growth.terms.Fd, growth.terms.Ftd,
        growth.terms.heightDepthTerm, growth.terms.periodDepthTerm, growth.terms.durationPeriod,
        growth.initialFetch, growth.fetchStep, growth.passFetch, growth.FF, growth.heightDepthTanh,
        growth.periodDepthTanh, growth.FHs, growth.FTs}) {
    bits.push_back(std::bit_cast<std::uint32_t>(value));
  }
  bits.push_back(std::uint32_t(growth.passes));
  bits.push_back(growth.knownFTs.has_value());
  bits.push_back(anotherPass);
  return bits;
}

// A non-dimensional depth (with ua and g of 1, the depth itself) whose 0.53 Fd^0.75 stores to
// two singles at the two ends of its bounds: its store is left to pow.
float uncertainDepth() {
  const auto store = [](double power) { return toSingle(power * double(0.53f)); };
  for (float depth = 1.0f;; depth = std::nextafter(depth, 2.0f)) {
    if (!storedAtBothBounds(boundRootPower(depth, RootPower::threeQuarters), store)) return depth;
  }
}

// Each lane's first pass leaves its storm as the pass of one storm does, bit for bit, where the
// lanes take it; the lanes leave alone, untouched, a storm whose pass could fail or leave the
// vector exp's main path, or whose depth term's store is uncertain. Nine storms: a full round of
// eight and a round of one.
TEST(GrowthLanes, FirstPassEqualsThePassOfOneStorm) {
  const bool lanesRun = runsStormLanes();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float ua, g, depth, duration, fetch;
    bool taken;  // where the lanes run
  };
  const std::vector<Case> cases = {
      {20.5f, 9.81f, 10, 21600, 50000, true},        // duration limited
      {41.2f, 32.2f, 48, 3600, 264000, true},        // US units
      {15, 9.81f, 4, 1e9f, 1200, true},              // fetch limited
      {15, 9.81f, 4, 0, 1200, true},                 // no duration
      {15, 9.81f, 4, 3600, 0, false},                // FF of 0: tanh(0) off the main path
      {15, 9.81f, 4, 3600, -100, false},             // the square root of a negative FF
      {15, 9.81f, 1e30f, 3600, 1200, false},         // a depth term whose exp overflows
      {nan, 9.81f, 4, 3600, 1200, false},            // no wind
      {1, 1, uncertainDepth(), 3600, 1200, false}};  // pow stores the depth term
  for (std::size_t first = 0; first < cases.size(); first += kGrowthLanes) {
    const std::size_t count = std::min(kGrowthLanes, cases.size() - first);
    std::vector<CaseState> states(count);
    std::vector<WaveGrowth> growths(count);
    std::vector<GrowthLane> lanes(count);
    for (std::size_t lane = 0; lane < count; ++lane) {
      const Case& c = cases[first + lane];
      states[lane].ua = c.ua;
      states[lane].g = c.g;
      states[lane].depth = c.depth;
      states[lane].duration = c.duration;
      states[lane].fetch = c.fetch;
      lanes[lane] = {&states[lane], &growths[lane]};
    }
    const std::vector<CaseState> before = states;
    const std::uint32_t taken = beginGrowthSideBySide(lanes);
    for (std::size_t lane = 0; lane < count; ++lane) {
      const Case& c = cases[first + lane];
      SCOPED_TRACE(testing::Message() << "storm " << first + lane);
      EXPECT_EQ(bool((taken >> lane) & 1), c.taken && lanesRun);
      CaseState state = before[lane];
      WaveGrowth growth;
      bool anotherPass = false;
      try {
        growth = startWaveGrowth(state);
        beginGrowthPass(state, growth);
        anotherPass = endGrowthPass(state, growth);
      } catch (const MathError&) {
        EXPECT_FALSE((taken >> lane) & 1);
      }
      if ((taken >> lane) & 1) {
        EXPECT_EQ(passBits(states[lane], growths[lane], lanes[lane].anotherPass),
                  passBits(state, growth, anotherPass));
      } else {
        EXPECT_EQ(passBits(states[lane], growths[lane], false),
                  passBits(before[lane], WaveGrowth{}, false));
      }
    }
  }
}

// Each lane's last pass leaves its storm as the search and the last pass of one storm do, bit
// for bit, where the lanes take it; the others are left untouched. Storms over a grid of winds,
// depths, durations and fetches (down to a subnormal fetch, which stops shrinking, and short
// durations with thousands of passes), those whose first pass asked for another, in rounds of
// eight.
TEST(GrowthLanes, LastPassEqualsTheSearchOfOneStorm) {
  std::vector<CaseState> states;
  std::vector<WaveGrowth> growths;
  for (const float ua : {5.0f, 12.5f, 31.0f}) {
    for (const float g : {9.81f, 32.2f}) {
      for (const float depth : {2.0f, 15.0f, 300.0f}) {
        for (const float duration : {0.0f, 1e-6f, 1.0f, 60.0f, 3600.0f, 36000.0f}) {
          for (const float fetch : {1e-44f, 1e-38f, 1e-3f, 120.0f, 5e4f, 3e7f}) {
            CaseState state;
            state.ua = ua;
            state.g = g;
            state.depth = depth;
            state.duration = duration;
            state.fetch = fetch;
            WaveGrowth growth = startWaveGrowth(state);
            beginGrowthPass(state, growth);
            if (!endGrowthPass(state, growth)) continue;
            states.push_back(state);
            growths.push_back(growth);
          }
        }
      }
    }
  }
  std::size_t takenCount = 0;
  for (std::size_t first = 0; first < states.size(); first += kGrowthLanes) {
    const std::size_t count = std::min(kGrowthLanes, states.size() - first);
    std::vector<CaseState> laneStates(states.begin() + first, states.begin() + first + count);
    std::vector<WaveGrowth> laneGrowths(growths.begin() + first, growths.begin() + first + count);
    std::vector<LastPassLane> lanes;
    for (std::size_t lane = 0; lane < count; ++lane) {
      lanes.push_back({&laneStates[lane], &laneGrowths[lane]});
    }
    const std::uint32_t taken = endGrowthSideBySide(lanes);
    for (std::size_t lane = 0; lane < count; ++lane) {
      SCOPED_TRACE(testing::Message() << "storm " << first + lane);
      CaseState state = states[first + lane];
      WaveGrowth growth = growths[first + lane];
      if (!((taken >> lane) & 1)) {
        EXPECT_EQ(passBits(laneStates[lane], laneGrowths[lane], false),
                  passBits(state, growth, false));
        continue;
      }
      ++takenCount;
      beginLastGrowthPass(state, growth);
      endGrowthPass(state, growth);
      EXPECT_EQ(passBits(laneStates[lane], laneGrowths[lane], false),
                passBits(state, growth, false));
    }
  }
  const bool lanesRun = runsStormLanes();
  EXPECT_EQ(takenCount > 0, lanesRun);
  EXPECT_LT(takenCount, states.size());
}

}  // namespace
}  // namespace littoral
