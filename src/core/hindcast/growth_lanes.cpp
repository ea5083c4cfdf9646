#include "growth_lanes.hpp"

#include <array>
#include <cstddef>
#include <limits>

#include "exp_kernels.hpp"
#include "exp_lanes.hpp"
#include "numerics.hpp"

namespace littoral {

#ifdef LITTORAL_EXP_LANES_X86

namespace {

using exp_kernels::expOfLanes;

// A value of each lane, as a single.
using LaneSingles = std::array<float, kGrowthLanes>;

// The lanes' inputs, and what the pass stores.
struct GrowthRound {
  alignas(32) LaneSingles ua, g, depth, duration, fetch;
  alignas(32) LaneSingles Fd, Ftd, FF;
  alignas(64) std::array<double, kGrowthLanes> durationPower, fetchPower;  // the library's pows
  alignas(32) LaneSingles heightDepthTerm, periodDepthTerm, durationPeriod;
  alignas(32) LaneSingles heightDepthTanh, periodDepthTanh, FHs, FTs, hs, ts;
};

LITTORAL_AVX512_CODE_BEGIN

LITTORAL_AVX512 __m512d widen(const LaneSingles& singles) {
  return _mm512_cvtps_pd(_mm256_load_ps(singles.data()));
}

// Rounds each lane to single and stores it; returns the stored singles as doubles.
LITTORAL_AVX512 __m512d store(__m512d value, LaneSingles& singles) {
  const __m256 single = _mm512_cvtpd_ps(value);
  _mm256_store_ps(singles.data(), single);
  return _mm512_cvtps_pd(single);
}

LITTORAL_AVX512 __m512d times(__m512d value, double factor) {
  return _mm512_mul_pd(value, _mm512_set1_pd(factor));
}

// tanhExp of each lane (a single): the lanes whose two exps left the main path leave `sure`.
LITTORAL_AVX512 __m512d tanhExpOfLanes(__m512d x, __mmask8& sure) {
  __mmask8 plusMain = 0;
  __mmask8 minusMain = 0;
  const __m512d e1 = _mm512_cvtps_pd(_mm512_cvtpd_ps(expOfLanes(x, plusMain)));
  const __m512d minusX =
      _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(x), _mm512_set1_epi64(INT64_MIN)));
  const __m512d e2 = expOfLanes(minusX, minusMain);
  sure &= plusMain & minusMain;
  return _mm512_div_pd(_mm512_sub_pd(e1, e2), _mm512_add_pd(e1, e2));
}

// storeRootPower(base, power, p -> toSingle(p * factor)) from the power's estimate: the single at
// both ends of the margin around it. The lanes where the two ends differ, or give a NaN, leave
// `sure`: their store is the library's pow's.
LITTORAL_AVX512 __m512d storeRootPowerOfLanes(__m512d estimate, double factor, LaneSingles& singles,
                                              __mmask8& sure) {
  const __m512d low =
      _mm512_cvtps_pd(_mm512_cvtpd_ps(times(times(estimate, 1 - kRootPowerMargin), factor)));
  const __m512d high = store(times(times(estimate, 1 + kRootPowerMargin), factor), singles);
  sure &= _mm512_cmpeq_epi64_mask(_mm512_castpd_si512(low), _mm512_castpd_si512(high)) &
          _mm512_cmp_pd_mask(high, high, _CMP_ORD_Q);
  return high;
}

// The nondimensional depth, duration and fetch of the lanes.
LITTORAL_AVX512 void nondimensionalTerms(GrowthRound& round) {
  const __m512d ua = widen(round.ua);
  const __m512d g = widen(round.g);
  store(_mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(widen(round.depth), g), ua), ua), round.Fd);
  store(_mm512_div_pd(_mm512_mul_pd(widen(round.duration), g), ua), round.Ftd);
  store(_mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(widen(round.fetch), g), ua), ua), round.FF);
}

// The rest of the pass once the library's pows are known; returns the lanes worked out for
// sure.
LITTORAL_AVX512 __mmask8 growthLaws(GrowthRound& round) {
  const __m512d ua = widen(round.ua);
  const __m512d g = widen(round.g);
  const __m512d Fd = widen(round.Fd);
  const __m512d FF = widen(round.FF);
  __mmask8 sure =
      _mm512_cmp_pd_mask(Fd, _mm512_setzero_pd(), _CMP_GT_OQ) &
      _mm512_cmp_pd_mask(Fd, _mm512_set1_pd(std::numeric_limits<float>::max()), _CMP_LE_OQ) &
      _mm512_cmp_pd_mask(FF, _mm512_setzero_pd(), _CMP_GE_OQ);
  // The depth terms, 0.53 Fd^0.75 and 0.833 Fd^0.375, as boundRootPower works the powers.
  const __m512d root = _mm512_sqrt_pd(Fd);
  const __m512d quarter = _mm512_sqrt_pd(root);
  const __m512d heightDepthTerm = storeRootPowerOfLanes(_mm512_mul_pd(root, _mm512_sqrt_pd(root)),
                                                        double(0.53f), round.heightDepthTerm, sure);
  const __m512d periodDepthTerm = storeRootPowerOfLanes(
      _mm512_mul_pd(quarter, _mm512_sqrt_pd(quarter)), double(0.833f), round.periodDepthTerm, sure);
  store(_mm512_mul_pd(_mm512_load_pd(round.durationPower.data()), _mm512_div_pd(ua, g)),
        round.durationPeriod);
  // The height law.
  const __m512d heightFetchTerm =
      _mm512_cvtps_pd(_mm512_cvtpd_ps(times(_mm512_sqrt_pd(FF), double(0.00565f))));
  const __m512d a = store(tanhExpOfLanes(heightDepthTerm, sure), round.heightDepthTanh);
  const __m512d q = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_div_pd(heightFetchTerm, a)));
  const __m512d FHs =
      store(_mm512_mul_pd(times(a, double(0.283f)), tanhExpOfLanes(q, sure)), round.FHs);
  // The period law.
  const __m512d b = store(tanhExpOfLanes(periodDepthTerm, sure), round.periodDepthTanh);
  const __m512d periodFetchTerm = _mm512_cvtps_pd(
      _mm512_cvtpd_ps(times(_mm512_load_pd(round.fetchPower.data()), double(0.0379f))));
  const __m512d r = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_div_pd(periodFetchTerm, b)));
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
