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

using exp_kernels::expOfLanes;
using namespace single_lanes;
static_assert(kTransportLanes == kWidth);

// The lanes' inputs, and what the transport stores.
struct TransportRound {
  Singles depth, g, rho, settlingVelocity, cosAor, beachSlope;
  std::array<Singles, 5> classBound;                   // classHeight, by bound
  std::array<Singles, 4> exposure;                     // classExposure, by class
  Doubles kplsSine, sineOfTwiceAor, sineOfTwiceLocal;  // the vector values asked
  __mmask8 siUnits = 0;
  Singles kpls, surfCurrent, stormTransport, stormTransportM3;
  std::array<Singles, 4> rate, height, flux, transportM3;  // by class
};

LITTORAL_AVX512_CODE_BEGIN

// Returns the lanes worked out for sure.
LITTORAL_AVX512 __mmask8 transportOfLanes(TransportRound& round) {
  const __m512d g = widen(round.g.data());
  const __m512d siRateFactor = _mm512_set1_pd(double(computeSiRateFactor()));
  const Rounded rounded;
  __mmask8 sure = 0xff;
  // The transport coefficient.
  const __m512d sinSquared = storeTrigOfLanes(
      round.kplsSine,
      [first = double(0.05f), second = double(2.6f)](__m512d sinA) LITTORAL_AVX512 {
        return roundToSingle(
            _mm512_add_pd(_mm512_set1_pd(first), times(_mm512_mul_pd(sinA, sinA), second)));
      },
      sure);
  const __m512d depthTerm = times(_mm512_mul_pd(widen(round.depth.data()), g), 0.5);
  sure &= notNegative(depthTerm);
  store(_mm512_add_pd(_mm512_div_pd(times(_mm512_sqrt_pd(depthTerm), double(0.0014f)),
                                    widen(round.settlingVelocity.data())),
                      sinSquared),
        round.kpls);
  // The flux terms.
  const __m512d densityTerm = roundToSingle(times(widen(round.rho.data()), double(0.052f)));
  const __m512d fluxFactor = storeRootPowerOfLanes(
      g, _mm512_mul_pd(g, _mm512_sqrt_pd(g)),
      [densityTerm](__m512d power)
          LITTORAL_AVX512 { return roundToSingle(_mm512_mul_pd(power, densityTerm)); },
      sure);
  const __m512d cosAor = widen(round.cosAor.data());
  const __m512d cosAorRoot =
      storeRootPowerOfLanes(cosAor, _mm512_sqrt_pd(_mm512_sqrt_pd(cosAor)), rounded, sure);
  const __m512d sinTwoAor = storeTrigOfLanes(round.sineOfTwiceAor, rounded, sure);
  const __m512d sinTwoLocal = storeTrigOfLanes(round.sineOfTwiceLocal, rounded, sure);
  const __m512d slopeTerm = roundToSingle(times(widen(round.beachSlope.data()), double(20.7f)));
  // Each class's transport, added to the storm's.
  __m512d currentSum = _mm512_setzero_pd();
  __m512d stormRate = _mm512_setzero_pd();
  for (std::size_t c = 0; c < 4; ++c) {
    const __m512d bounds =
        _mm512_mul_pd(widen(round.classBound[c].data()), widen(round.classBound[c + 1].data()));
    sure &= notNegative(bounds);
    const __m512d height = store(_mm512_sqrt_pd(bounds), round.height[c]);
    const __m512d flux =
        store(storeRootPowerOfLanes(
                  height, _mm512_mul_pd(_mm512_mul_pd(height, height), _mm512_sqrt_pd(height)),
                  [=](__m512d power) LITTORAL_AVX512 {
                    return roundToSingle(_mm512_mul_pd(
                        _mm512_mul_pd(_mm512_mul_pd(power, fluxFactor), cosAorRoot), sinTwoAor));
                  },
                  sure),
              round.flux[c]);
    const __m512d heightTerm = _mm512_mul_pd(height, g);
    sure &= notNegative(heightTerm);
    const __m512d classCurrent =
        _mm512_mul_pd(_mm512_mul_pd(_mm512_sqrt_pd(heightTerm), slopeTerm), sinTwoLocal);
    currentSum = roundToSingle(_mm512_add_pd(classCurrent, currentSum));
    const __m512d rate =
        store(_mm512_div_pd(_mm512_mul_pd(times(flux, 7500), widen(round.exposure[c].data())),
                            _mm512_set1_pd(100)),
              round.rate[c]);
    stormRate = roundToSingle(_mm512_add_pd(stormRate, rate));
    const __m512d cubicYards = _mm512_mask_div_pd(rate, round.siUnits, rate, siRateFactor);
    store(times(cubicYards, kCubicMetresPerCubicYard), round.transportM3[c]);
  }
  store(times(currentSum, 0.25), round.surfCurrent);
  const __m512d stormTotal =
      store(_mm512_mask_mov_pd(stormRate, round.siUnits,
                               roundToSingle(_mm512_div_pd(stormRate, siRateFactor))),
            round.stormTransport);
  store(times(stormTotal, kCubicMetresPerCubicYard), round.stormTransportM3);
  return sure;
}

LITTORAL_AVX512_CODE_END

// The lanes' class bounds and what the exposure stores.
struct ExposureRound {
  std::array<Singles, 5> classBound;
  Singles hnso, duration;
  std::array<Singles, 4> share, exposure;  // by class
};

LITTORAL_AVX512_CODE_BEGIN

// Returns the lanes worked out for sure.
LITTORAL_AVX512 __mmask8 exposureOfLanes(ExposureRound& round) {
  __mmask8 sure = 0xff;
  const __m512d hnso = widen(round.hnso.data());
  const __m512d duration = widen(round.duration.data());
  // classBoundExceedance: exp(-(a/b)^2) of each bound, as a single, the five side by side.
  __m512d arguments[5];
  for (std::size_t bound = 0; bound < 5; ++bound) {
    const __m512d ratio = _mm512_div_pd(widen(round.classBound[bound].data()), hnso);
    arguments[bound] = negate(_mm512_mul_pd(ratio, ratio));
  }
  __m512d exceedance[5];
  __mmask8 main[5];
  expOfLanes(arguments, exceedance, main);
  for (std::size_t bound = 0; bound < 5; ++bound) {
    sure &= main[bound];
    exceedance[bound] = roundToSingle(exceedance[bound]);
  }
  for (std::size_t c = 0; c < 4; ++c) {
    const __m512d share = _mm512_sub_pd(exceedance[c], exceedance[c + 1]);
    store(
        _mm512_div_pd(_mm512_mul_pd(times(share, 100), duration), _mm512_set1_pd(kSecondsPerYear)),
        round.exposure[c]);
    store(share, round.share[c]);
  }
  return sure;
}

LITTORAL_AVX512_CODE_END

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
  if (state.siUnits) round.siUnits |= __mmask8(1u << lane);
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
  const auto sure = std::uint32_t(transportOfLanes(round)) & ((1u << lanes.size()) - 1);
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
  const auto sure = std::uint32_t(exposureOfLanes(round)) & ((1u << lanes.size()) - 1);
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
