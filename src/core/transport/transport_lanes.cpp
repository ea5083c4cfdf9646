#include "transport_lanes.hpp"

#include "single_lanes.hpp"
#include "storm_sequence.hpp"
#include "transport.hpp"

namespace littoral {

void keepTransport(const LongshoreTransport& transport, StormValues& values) {
  values.set(StormValue::kpls, transport.kpls);
  for (std::int32_t i = 1; i <= 4; ++i) {
    const auto c = std::size_t(i - 1);
    values.set(stage_detail::ofClass(StormValue::classRate1, i), transport.classRate[c]);
    values.set(stage_detail::ofClass(StormValue::classHeight1, i), transport.classHeight[c]);
    values.set(stage_detail::ofClass(StormValue::classFlux1, i), transport.classFlux[c]);
    values.set(stage_detail::ofClass(StormValue::classTransportM3_1, i),
               transport.classTransportM3[c]);
  }
  values.set(StormValue::surfCurrent, transport.surfCurrent);
  values.set(StormValue::stormTransport, transport.stormTransport);
  values.set(StormValue::stormTransportM3, transport.stormTransportM3);
}

void keepExposure(const ExposureLane& lane, StormValues& values) {
  for (std::int32_t i = 1; i <= 4; ++i) {
    const auto c = std::size_t(i - 1);
    values.set(stage_detail::ofClass(StormValue::classShare1, i), lane.share[c]);
    values.set(stage_detail::ofClass(StormValue::classExposure1, i), lane.state->classExposure[c]);
  }
}

#ifdef LITTORAL_EXP_LANES_X86

namespace {

using namespace single_lanes;
static_assert(kTransportLanes == kWidth);

// The lanes' inputs, and what the transport stores.
struct TransportRound {
  Singles depth, g, rho, settlingVelocity, cosAor, beachSlope;
  std::array<Singles, 5> classBound;                   // classHeight, by bound
  std::array<Singles, 4> exposure;                     // classExposure, by class
  Doubles kplsSine, sineOfTwiceAor, sineOfTwiceLocal;  // the vector values asked
  std::uint8_t siUnits = 0;
  Singles kpls, surfCurrent, stormTransport, stormTransportM3;
  std::array<Singles, 4> rate, height, flux, transportM3;  // by class
};

// The lanes' class bounds and what the exposure stores.
struct ExposureRound {
  std::array<Singles, 5> classBound;
  Singles hnso, duration;
  std::array<Singles, 4> share, exposure;  // by class
};

// The steps in each lane way.
#define LITTORAL_LANE_STEPS "transport_lane_steps.inc"
#include "in_each_lane_way.inc"

void takeLane(TransportRound& round, std::size_t lane, const TransportLane& storm) {
  const CaseState& state = *storm.state;
  round.depth[lane] = state.depth;
  round.g[lane] = state.g;
  round.rho[lane] = state.rho;
  round.settlingVelocity[lane] = state.settlingVelocity;
  round.cosAor[lane] = state.cosAor;
  round.beachSlope[lane] = state.beachSlope;
  for (std::size_t bound = 0; bound < 5; ++bound) {
    round.classBound[bound][lane] = state.classHeight[bound];
  }
  for (std::size_t c = 0; c < 4; ++c) round.exposure[c][lane] = state.classExposure[c];
  const std::array<TrigValue, 3>& sines = *storm.sines;
  round.kplsSine[lane] = sines[0].laneValue;
  round.sineOfTwiceAor[lane] = sines[1].laneValue;
  round.sineOfTwiceLocal[lane] = sines[2].laneValue;
  if (state.siUnits) round.siUnits |= std::uint8_t(1u << lane);
}

void finishLane(const TransportRound& round, std::size_t lane, LongshoreTransport& transport) {
  transport.kpls = round.kpls[lane];
  for (std::size_t c = 0; c < 4; ++c) {
    transport.classRate[c] = round.rate[c][lane];
    transport.classHeight[c] = round.height[c][lane];
    transport.classFlux[c] = round.flux[c][lane];
    transport.classTransportM3[c] = round.transportM3[c][lane];
  }
  transport.surfCurrent = round.surfCurrent[lane];
  transport.stormTransport = round.stormTransport[lane];
  transport.stormTransportM3 = round.stormTransportM3[lane];
}

}  // namespace

std::uint32_t computeTransportSideBySide(std::span<TransportLane> lanes) {
  if (lanes.empty() || !runsStormLanes()) return 0;
  TransportRound round{};
  for (std::size_t lane = 0; lane < kTransportLanes; ++lane) {
    takeLane(round, lane, lanes[lane < lanes.size() ? lane : 0]);
  }
  const std::uint32_t sure = (runsEightWideLanes() ? lane_steps_avx512::transportOfLanes(round)
                                                   : lane_steps_avx2::transportOfLanes(round)) &
                             ((1u << lanes.size()) - 1);
  for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
    if ((sure >> lane) & 1) finishLane(round, lane, lanes[lane].transport);
  }
  return sure;
}

std::uint32_t exposeSideBySide(std::span<ExposureLane> lanes) {
  if (lanes.empty() || !runsStormLanes()) return 0;
  ExposureRound round{};
  for (std::size_t lane = 0; lane < kTransportLanes; ++lane) {
    const CaseState& state = *lanes[lane < lanes.size() ? lane : 0].state;
    for (std::size_t bound = 0; bound < 5; ++bound) {
      round.classBound[bound][lane] = state.classHeight[bound];
    }
    round.hnso[lane] = state.hnso;
    round.duration[lane] = state.duration;
  }
  const std::uint32_t sure = (runsEightWideLanes() ? lane_steps_avx512::exposureOfLanes(round)
                                                   : lane_steps_avx2::exposureOfLanes(round)) &
                             ((1u << lanes.size()) - 1);
  for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
    if (!((sure >> lane) & 1)) continue;
    for (std::size_t c = 0; c < 4; ++c) {
      lanes[lane].share[c] = round.share[c][lane];
      lanes[lane].state->classExposure[c] = round.exposure[c][lane];
    }
  }
  return sure;
}

#else

std::uint32_t computeTransportSideBySide(std::span<TransportLane>) { return 0; }
std::uint32_t exposeSideBySide(std::span<ExposureLane>) { return 0; }

#endif  // LITTORAL_EXP_LANES_X86

}  // namespace littoral
