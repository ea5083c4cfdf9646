#include "growth_lanes.hpp"

#include <cstddef>

#include "exp_lanes.hpp"
#include "numerics.hpp"
#include "single_lanes.hpp"

namespace littoral {

#ifdef LITTORAL_EXP_LANES_X86

namespace {

using exp_kernels::expOfLanes;
using namespace single_lanes;
static_assert(kGrowthLanes == kWidth);

// The lanes' inputs, and what the pass stores.
struct GrowthRound {
  Singles ua, g, depth, duration, fetch;
  Singles Fd, Ftd, FF;
  Doubles durationPower, fetchPower;  // the library's pows
  Singles heightDepthTerm, periodDepthTerm, durationPeriod;
  Singles heightDepthTanh, periodDepthTanh, FHs, FTs, hs, ts;
};

LITTORAL_AVX512_CODE_BEGIN

// tanhExp of each lane (a single): the lanes whose two exps left the main path leave `sure`.
LITTORAL_AVX512 __m512d tanhExpOfLanes(__m512d x, __mmask8& sure) {
  __mmask8 plusMain = 0;
  __mmask8 minusMain = 0;
  const __m512d e1 = roundToSingle(expOfLanes(x, plusMain));
  const __m512d minusX =
      _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(x), _mm512_set1_epi64(INT64_MIN)));
  const __m512d e2 = expOfLanes(minusX, minusMain);
  sure &= plusMain & minusMain;
  return _mm512_div_pd(_mm512_sub_pd(e1, e2), _mm512_add_pd(e1, e2));
}

// The nondimensional depth, duration and fetch of the lanes.
LITTORAL_AVX512 void nondimensionalTerms(GrowthRound& round) {
  const __m512d ua = widen(round.ua.data());
  const __m512d g = widen(round.g.data());
  store(_mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(widen(round.depth.data()), g), ua), ua),
        round.Fd);
  store(_mm512_div_pd(_mm512_mul_pd(widen(round.duration.data()), g), ua), round.Ftd);
  store(_mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(widen(round.fetch.data()), g), ua), ua),
        round.FF);
}

// The rest of the pass once the library's pows are known; returns the lanes worked out for
// sure.
LITTORAL_AVX512 __mmask8 growthLaws(GrowthRound& round) {
  const __m512d ua = widen(round.ua.data());
  const __m512d g = widen(round.g.data());
  const __m512d Fd = widen(round.Fd.data());
  const __m512d FF = widen(round.FF.data());
  __mmask8 sure = notNegative(FF);
  // The depth terms, 0.53 Fd^0.75 and 0.833 Fd^0.375, as boundRootPower works the powers.
  const __m512d root = _mm512_sqrt_pd(Fd);
  const __m512d quarter = _mm512_sqrt_pd(root);
  const auto timesRounded = [](double factor) {
    return [factor](__m512d power) LITTORAL_AVX512 { return roundToSingle(times(power, factor)); };
  };
  const __m512d heightDepthTerm =
      store(storeRootPowerOfLanes(Fd, _mm512_mul_pd(root, _mm512_sqrt_pd(root)),
                                  timesRounded(double(0.53f)), sure),
            round.heightDepthTerm);
  const __m512d periodDepthTerm =
      store(storeRootPowerOfLanes(Fd, _mm512_mul_pd(quarter, _mm512_sqrt_pd(quarter)),
                                  timesRounded(double(0.833f)), sure),
            round.periodDepthTerm);
  store(_mm512_mul_pd(_mm512_loadu_pd(round.durationPower.data()), _mm512_div_pd(ua, g)),
        round.durationPeriod);
  // The height law.
  const __m512d heightFetchTerm = roundToSingle(times(_mm512_sqrt_pd(FF), double(0.00565f)));
  const __m512d a = store(tanhExpOfLanes(heightDepthTerm, sure), round.heightDepthTanh);
  const __m512d q = roundToSingle(_mm512_div_pd(heightFetchTerm, a));
  const __m512d FHs =
      store(_mm512_mul_pd(times(a, double(0.283f)), tanhExpOfLanes(q, sure)), round.FHs);
  // The period law.
  const __m512d b = store(tanhExpOfLanes(periodDepthTerm, sure), round.periodDepthTanh);
  const __m512d periodFetchTerm =
      roundToSingle(times(_mm512_loadu_pd(round.fetchPower.data()), double(0.0379f)));
  const __m512d r = roundToSingle(_mm512_div_pd(periodFetchTerm, b));
  const __m512d FTs =
      store(_mm512_mul_pd(times(b, double(7.54f)), tanhExpOfLanes(r, sure)), round.FTs);
  store(_mm512_div_pd(_mm512_mul_pd(_mm512_mul_pd(ua, FHs), ua), g), round.hs);
  store(_mm512_div_pd(_mm512_mul_pd(ua, FTs), g), round.ts);
  return sure;
}

LITTORAL_AVX512_CODE_END

// Leaves the lane's storm as its first pass leaves it.
void finishLane(const GrowthRound& round, std::size_t lane, GrowthLane& storm) {
  CaseState& state = *storm.state;
  WaveGrowth& growth = *storm.growth;
  growth = WaveGrowth{};
  growth.terms = {round.Fd[lane], round.Ftd[lane], round.heightDepthTerm[lane],
                  round.periodDepthTerm[lane], round.durationPeriod[lane]};
  growth.initialFetch = state.fetch;
  growth.passFetch = state.fetch;
  growth.passes = 1;
  growth.FF = round.FF[lane];
  growth.heightDepthTanh = round.heightDepthTanh[lane];
  growth.periodDepthTanh = round.periodDepthTanh[lane];
  growth.FHs = round.FHs[lane];
  growth.FTs = round.FTs[lane];
  growth.fetchStep = 0.98f;
  state.hs = round.hs[lane];
  state.ts = round.ts[lane];
  storm.anotherPass = state.ts > growth.terms.durationPeriod;
}

}  // namespace

std::uint32_t beginGrowthSideBySide(std::span<GrowthLane> lanes) {
  if (lanes.empty() || bestExpLanes() != ExpLanes::avx512) return 0;
  GrowthRound round{};
  for (std::size_t lane = 0; lane < kGrowthLanes; ++lane) {
    const CaseState& state = *lanes[lane < lanes.size() ? lane : 0].state;
    round.ua[lane] = state.ua;
    round.g[lane] = state.g;
    round.depth[lane] = state.depth;
    round.duration[lane] = state.duration;
    round.fetch[lane] = state.fetch;
  }
  nondimensionalTerms(round);
  for (std::size_t lane = 0; lane < kGrowthLanes; ++lane) {
    round.durationPower[lane] = realPower(double(round.Ftd[lane]) / 537, double(0.42857143f));
    round.fetchPower[lane] = realPower(double(round.FF[lane]), double(0.33333334f));
  }
  const auto sure = std::uint32_t(growthLaws(round)) & ((1u << lanes.size()) - 1);
  for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
    if ((sure >> lane) & 1) finishLane(round, lane, lanes[lane]);
  }
  return sure;
}

#else

std::uint32_t beginGrowthSideBySide(std::span<GrowthLane>) { return 0; }

#endif  // LITTORAL_EXP_LANES_X86

}  // namespace littoral
