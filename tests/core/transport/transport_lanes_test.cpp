#include "transport_lanes.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "single_lanes.hpp"
#include "storm_sequence.hpp"

namespace littoral {
namespace {

// Answers nothing and shows nothing: the transport's values stay in ShownValues.
struct Silent {
  static constexpr bool kShowsEveryGrowthPass = false;
  void ask(Question, float&) const {}
  void ask(Question, std::int32_t&) const {}
  void reached(Step, const CaseState&, const ShownValues&, std::int32_t) const {}
};

CaseState transportState(bool si) {
  CaseState state;
  state.siUnits = si;
  state.usUnits = !si;
  state.g = si ? 9.81f : 32.2f;
  state.rho = si ? 1000 : 1.94f;
  state.depth = si ? 2.7f : 8.9f;
  state.settlingVelocity = si ? 0.0121f : 0.0397f;
  state.cosAor = 0.9403f;
  state.beachSlope = 0.021f;
  const float heights[] = {0.41f, 0.83f, 1.32f, 1.68f, 2.14f};
  for (std::size_t bound = 0; bound < 5; ++bound)
    state.classHeight[bound] = heights[bound] * (si ? 1 : 3.28f);
  state.hnso = si ? 1.13f : 3.71f;
  state.duration = 21600;
  const float exposures[] = {0.021f, 0.013f, 0.0041f, 0.0009f};
  for (std::size_t c = 0; c < 4; ++c) state.classExposure[c] = exposures[c];
  return state;
}

// The sines the transport asks, with the library's values as their vector values.
std::array<TrigValue, 3> sinesOf(double kplsAngle, double twiceAor, double twiceLocal) {
  std::array<TrigValue, 3> sines;
  const double angles[] = {kplsAngle, twiceAor, twiceLocal};
  for (std::size_t i = 0; i < 3; ++i) sines[i] = {Trig::sin, angles[i], std::sin(angles[i])};
  return sines;
}

// The bits of a storm's values as a step kept them, and of its state's exposures.
std::vector<std::uint32_t> keptBits(const StormValues& values, const CaseState& state) {
  std::vector<std::uint32_t> bits(values.present.count());
  for (std::size_t value = 0, at = 0; value < kStormValueCount; ++value) {
    if (values.present[value]) bits[at++] = std::bit_cast<std::uint32_t>(values.values[value]);
  }
  for (const float exposure : state.classExposure) {
    bits.push_back(std::bit_cast<std::uint32_t>(exposure));
  }
  return bits;
}

// Each lane's transport keeps the values the transport of one storm keeps, bit for bit, where
// the lanes take it; a storm whose transport could fail, lacks a vector value, or whose sine or
// power stores two singles at the ends of its margin is left to be worked out alone. Nine
// storms: a round of eight and a round of one.
TEST(TransportLanes, TransportEqualsTheTransportOfOneStorm) {
  const bool lanesRun = runsStormLanes();
  const float halfway = float(std::sin(0.52));  // a sine whose vector value lies between singles
  struct Case {
    CaseState state;
    std::array<TrigValue, 3> sines;
    bool taken;  // where the lanes run
  };
  std::vector<Case> cases = {{transportState(true), sinesOf(0.21, 0.52, 0.43), true},
                             {transportState(false), sinesOf(-0.3, -0.61, -0.6), true},
                             {transportState(true), sinesOf(0.21, 0.52, 0.43), false},
                             {transportState(true), sinesOf(0.21, 0.52, 0.43), false},
                             {transportState(true), sinesOf(0.21, 0.52, 0.43), false},
                             {transportState(false), sinesOf(0.21, 0.52, 0.43), false},
                             {transportState(false), sinesOf(0.21, 0.52, 0.43), false},
                             {transportState(true), sinesOf(0.21, 0.52, 0.43), true},
                             {transportState(false), sinesOf(0.21, 0.52, 0.43), false}};
  cases[2].sines[1].laneValue = std::numeric_limits<double>::quiet_NaN();  // no vector value
  cases[3].sines[1].laneValue = (double(halfway) + double(std::nextafter(halfway, 1.0f))) / 2;
  cases[4].state.classHeight[0] = -0.41f;  // the square root of a negative product
  cases[5].state.cosAor = 0;               // no bounds for its root
  cases[6].state.depth = -1;               // the square root of a negative depth term
  cases[7].state.settlingVelocity = 0;     // an infinite coefficient, no error
  cases[8].sines[0] = {Trig::sin, std::nan(""), std::nan("")};  // the library's DOMAIN
  for (std::size_t first = 0; first < cases.size(); first += kTransportLanes) {
    const std::size_t count = std::min(kTransportLanes, cases.size() - first);
    std::vector<TransportLane> lanes;
    for (std::size_t i = first; i < first + count; ++i) {
      lanes.push_back({&cases[i].state, &cases[i].sines, {}});
    }
    const std::uint32_t taken = computeTransportSideBySide(lanes);
    for (std::size_t lane = 0; lane < count; ++lane) {
      Case& c = cases[first + lane];
      SCOPED_TRACE(testing::Message() << "storm " << first + lane);
      EXPECT_EQ(bool((taken >> lane) & 1), c.taken && lanesRun);
      if (!((taken >> lane) & 1)) continue;
      ShownValues alone;
      alone.siRateFactor = computeSiRateFactor();
      StepRecord record;
      record.trig = c.sines;
      Silent silent;
      findLongshoreTransport(c.state, alone, silent, record);
      StormValues byLanes;
      keepTransport(lanes[lane].transport, byLanes);
      EXPECT_EQ(byLanes.present, alone.storm.present);
      EXPECT_EQ(keptBits(byLanes, c.state), keptBits(alone.storm, c.state));
    }
  }
}

// Each lane's shares and exposures are those of the exposure of one storm, bit for bit, where
// the lanes take it; a storm with a class bound whose exceedance leaves the vector exp's main
// path is left to be worked out alone.
TEST(TransportLanes, ExposureEqualsTheExposureOfOneStorm) {
  const bool lanesRun = runsStormLanes();
  struct Case {
    CaseState state;
    bool taken;  // where the lanes run
  };
  std::vector<Case> cases = {{transportState(true), true},  {transportState(false), true},
                             {transportState(true), false}, {transportState(true), false},
                             {transportState(true), false}, {transportState(true), true}};
  cases[2].state.classHeight[0] = 0;                              // exp(-0) is 1
  cases[3].state.hnso = std::numeric_limits<float>::quiet_NaN();  // the library's DOMAIN
  cases[4].state.classHeight[4] = 40 * cases[4].state.hnso;       // exp(-1600)
  cases[5].state.duration = 0;                                    // no exposure
  std::vector<ExposureLane> lanes;
  for (Case& c : cases) lanes.push_back({&c.state, {}});
  const std::vector<Case> before = cases;
  const std::uint32_t taken = exposeSideBySide(lanes);
  for (std::size_t lane = 0; lane < cases.size(); ++lane) {
    SCOPED_TRACE(testing::Message() << "storm " << lane);
    EXPECT_EQ(bool((taken >> lane) & 1), cases[lane].taken && lanesRun);
    CaseState state = before[lane].state;
    if (!((taken >> lane) & 1)) {
      EXPECT_EQ(keptBits(StormValues{}, cases[lane].state), keptBits(StormValues{}, state));
      continue;
    }
    ShownValues alone;
    Silent silent;
    exposeHeightClasses(state, alone, silent);
    StormValues byLanes;
    keepExposure(lanes[lane], byLanes);
    EXPECT_EQ(byLanes.present, alone.storm.present);
    EXPECT_EQ(keptBits(byLanes, cases[lane].state), keptBits(alone.storm, state));
  }
}

}  // namespace
}  // namespace littoral
