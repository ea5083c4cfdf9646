#include "growth_lanes.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "numerics.hpp"
#include "single_lanes.hpp"

namespace littoral {

#ifdef LITTORAL_EXP_LANES_X86

namespace {

using exp_kernels::expOfLanes;
using namespace single_lanes;
static_assert(kGrowthLanes == kWidth);

// The last pass beyond which the lanes leave the search to the storm alone.
constexpr std::int32_t kLastPassLimit = 4096;

// The lanes' inputs, and what the pass stores.
struct GrowthRound {
  Singles ua, g, depth, duration, fetch;
  Singles Fd, Ftd, FF;
  Singles heightDepthTerm, periodDepthTerm, durationPeriod;
  Singles heightDepthTanh, periodDepthTanh, FHs, FTs, hs, ts;
};

LITTORAL_AVX512_CODE_BEGIN

// tanhExp of each lane of n vectors (singles), their exps side by side: the lanes whose exps
// left the main path leave `sure`.
template <std::size_t n>
LITTORAL_AVX512 void tanhExpOfLanes(const __m512d (&x)[n], __m512d (&tanh)[n], __mmask8& sure) {
  __m512d arguments[2 * n];
  for (std::size_t k = 0; k < n; ++k) {
    arguments[k] = x[k];
    arguments[n + k] = negate(x[k]);
  }
  __m512d exps[2 * n];
  __mmask8 main[2 * n];
  expOfLanes(arguments, exps, main);
  for (std::size_t k = 0; k < n; ++k) {
    const __m512d e1 = roundToSingle(exps[k]);
    const __m512d e2 = exps[n + k];
    sure &= main[k] & main[n + k];
    tanh[k] = _mm512_div_pd(_mm512_sub_pd(e1, e2), _mm512_add_pd(e1, e2));
  }
}

// The argument q of the height law's tanh from the depth term's tanh a and FF (endGrowthPass);
// a lane whose FF is negative or a NaN leaves `sure`.
LITTORAL_AVX512 __m512d heightLawArgument(__m512d a, __m512d FF, __mmask8& sure) {
  sure &= notNegative(FF);
  const __m512d heightFetchTerm = roundToSingle(times(_mm512_sqrt_pd(FF), double(0.00565f)));
  return roundToSingle(_mm512_div_pd(heightFetchTerm, a));
}

// The argument r of the period law's tanh from the depth term's tanh b and FF
// (periodLawArgument); a lane whose FF^(1/3) leaves the lanes' pow leaves `sure`.
LITTORAL_AVX512 __m512d periodLawArgument(__m512d b, __m512d FF, __mmask8& sure) {
  const __m512d periodFetchTerm = storePowerProductOfLanes(
      FF, kPeriodFetchExponent, _mm512_set1_pd(double(0.0379f)), Rounded{}, sure);
  return roundToSingle(_mm512_div_pd(periodFetchTerm, b));
}

// FHs and FTs from the depth terms' tanh and their laws' tanh.
LITTORAL_AVX512 __m512d heightLaw(__m512d a, __m512d tanhQ) {
  return roundToSingle(_mm512_mul_pd(times(a, double(0.283f)), tanhQ));
}
LITTORAL_AVX512 __m512d periodLaw(__m512d b, __m512d tanhR) {
  return roundToSingle(_mm512_mul_pd(times(b, double(7.54f)), tanhR));
}

// The wave's hs and ts from FHs and FTs.
LITTORAL_AVX512 void storeWave(const Singles& uaSingles, const Singles& gSingles, __m512d FHs,
                               __m512d FTs, Singles& hs, Singles& ts) {
  const __m512d ua = widen(uaSingles.data());
  const __m512d g = widen(gSingles.data());
  store(_mm512_div_pd(_mm512_mul_pd(_mm512_mul_pd(ua, FHs), ua), g), hs);
  store(_mm512_div_pd(_mm512_mul_pd(ua, FTs), g), ts);
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

// The rest of the pass; returns the lanes worked out for sure.
LITTORAL_AVX512 __mmask8 growthLaws(GrowthRound& round) {
  const __m512d ua = widen(round.ua.data());
  const __m512d g = widen(round.g.data());
  const __m512d Fd = widen(round.Fd.data());
  const __m512d FF = widen(round.FF.data());
  __mmask8 sure = 0xff;
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
  const __m512d durationBase =
      _mm512_div_pd(widen(round.Ftd.data()), _mm512_set1_pd(kDurationLawDivisor));
  store(storePowerProductOfLanes(durationBase, kDurationLawExponent, _mm512_div_pd(ua, g),
                                 Rounded{}, sure),
        round.durationPeriod);
  const __m512d depthTerms[2] = {heightDepthTerm, periodDepthTerm};
  __m512d depthTanh[2];
  tanhExpOfLanes(depthTerms, depthTanh, sure);
  const __m512d a = store(depthTanh[0], round.heightDepthTanh);
  const __m512d b = store(depthTanh[1], round.periodDepthTanh);
  const __m512d lawArguments[2] = {heightLawArgument(a, FF, sure), periodLawArgument(b, FF, sure)};
  __m512d lawTanh[2];
  tanhExpOfLanes(lawArguments, lawTanh, sure);
  const __m512d FHs = store(heightLaw(a, lawTanh[0]), round.FHs);
  const __m512d FTs = store(periodLaw(b, lawTanh[1]), round.FTs);
  storeWave(round.ua, round.g, FHs, FTs, round.hs, round.ts);
  return sure;
}

// The growth search's probes, and the last pass, of a round of storms (endGrowthSideBySide).
struct LastPassRound {
  Singles ua, g, heightDepthTanh, periodDepthTanh, durationPeriod, firstFetch;
  std::array<std::int32_t, kWidth> guess{};  // the estimated last pass; 0 where none is taken
  Singles passFetch, fetch;                  // the fetches of the passes guess - 1 and guess
  Singles passFF, FF;                        // the FF of the passes guess - 1 and guess
  Singles FTs, FHs, hs, ts;
};

// The fetches of the passes guess - 1 and guess of each lane, from the first pass's:
// each 0.98 of the one before, stored as a single. The product of two singles is exact in
// double, so the single product is toSingle(double(0.98f) * double(fetch)), as a pass stores it.
LITTORAL_AVX512 void cutFetches(LastPassRound& round, std::int32_t lastGuess) {
  const __m256i guess = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(round.guess.data()));
  const __m256 cut = _mm256_set1_ps(0.98f);
  __m256 fetch = _mm256_loadu_ps(round.firstFetch.data());
  __m256 pass = fetch;
  __m256 last = fetch;
  for (std::int32_t k = 1; k <= lastGuess; ++k) {
    if (k > 1) fetch = _mm256_mul_ps(cut, fetch);
    const auto at = [&](std::int32_t ahead) LITTORAL_AVX512 {
      return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_set1_epi32(k + ahead), guess));
    };
    pass = _mm256_blendv_ps(pass, fetch, at(1));
    last = _mm256_blendv_ps(last, fetch, at(0));
  }
  _mm256_storeu_ps(round.passFetch.data(), pass);
  _mm256_storeu_ps(round.fetch.data(), last);
}

// The FF of the passes guess - 1 and guess.
LITTORAL_AVX512 void probedFetches(LastPassRound& round) {
  const __m512d ua = widen(round.ua.data());
  const __m512d g = widen(round.g.data());
  store(_mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(widen(round.passFetch.data()), g), ua), ua),
        round.passFF);
  store(_mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(widen(round.fetch.data()), g), ua), ua),
        round.FF);
}

// The lanes whose pass with this FTs asks for another: its period exceeds the duration's.
LITTORAL_AVX512 __mmask8 asksAnotherPass(const LastPassRound& round, __m512d FTs) {
  const __m512d ua = widen(round.ua.data());
  const __m512d period =
      roundToSingle(_mm512_div_pd(_mm512_mul_pd(ua, FTs), widen(round.g.data())));
  return _mm512_cmp_pd_mask(period, widen(round.durationPeriod.data()), _CMP_GT_OQ);
}

// The probes of the passes guess - 1 and guess, and the last pass where the first asks for
// another and the second does not; returns the lanes so worked out for sure.
LITTORAL_AVX512 __mmask8 lastPass(LastPassRound& round) {
  const __m512d b = widen(round.periodDepthTanh.data());
  // No lane needs a check that its fetch still shrinks by the estimated pass: where it does not,
  // the two probes have one fetch and one FTs, and fail the probes' condition below.
  __mmask8 sure = 0xff;
  // The two probes' periods and the last pass's height law, their exps side by side.
  const __m512d a = widen(round.heightDepthTanh.data());
  const __m512d arguments[3] = {periodLawArgument(b, widen(round.FF.data()), sure),
                                periodLawArgument(b, widen(round.passFF.data()), sure),
                                heightLawArgument(a, widen(round.FF.data()), sure)};
  __m512d tanh[3];
  tanhExpOfLanes(arguments, tanh, sure);
  const __m512d FTs = store(periodLaw(b, tanh[0]), round.FTs);
  sure &= asksAnotherPass(round, periodLaw(b, tanh[1])) & ~asksAnotherPass(round, FTs);
  // The last pass: its height law, and the period its probe found.
  const __m512d FHs = store(heightLaw(a, tanh[2]), round.FHs);
  storeWave(round.ua, round.g, FHs, FTs, round.hs, round.ts);
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

// Leaves the lane's storm as its last pass leaves it.
void finishLastPass(const LastPassRound& round, std::size_t lane, LastPassLane& storm) {
  CaseState& state = *storm.state;
  WaveGrowth& growth = *storm.growth;
  state.fetch = round.fetch[lane];
  growth.passFetch = round.passFetch[lane];
  growth.passes = round.guess[lane];
  growth.FF = round.FF[lane];
  growth.knownFTs = round.FTs[lane];
  growth.FTs = round.FTs[lane];
  growth.FHs = round.FHs[lane];
  state.hs = round.hs[lane];
  state.ts = round.ts[lane];
}

}  // namespace

std::uint32_t beginGrowthSideBySide(std::span<GrowthLane> lanes) {
  if (lanes.empty() || !runsStormLanes()) return 0;
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
  const auto sure = std::uint32_t(growthLaws(round)) & ((1u << lanes.size()) - 1);
  for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
    if ((sure >> lane) & 1) finishLane(round, lane, lanes[lane]);
  }
  return sure;
}

std::uint32_t endGrowthSideBySide(std::span<LastPassLane> lanes) {
  if (lanes.empty() || !runsStormLanes()) return 0;
  LastPassRound round{};
  std::uint32_t searched = 0;
  std::int32_t lastGuess = 0;
  for (std::size_t lane = 0; lane < kGrowthLanes; ++lane) {
    const LastPassLane& storm = lanes[lane < lanes.size() ? lane : 0];
    const CaseState& state = *storm.state;
    const WaveGrowth& growth = *storm.growth;
    round.ua[lane] = state.ua;
    round.g[lane] = state.g;
    round.heightDepthTanh[lane] = growth.heightDepthTanh;
    round.periodDepthTanh[lane] = growth.periodDepthTanh;
    round.durationPeriod[lane] = growth.terms.durationPeriod;
    round.firstFetch[lane] = state.fetch;
    if (lane >= lanes.size()) continue;
    const std::int32_t guess = estimateLastGrowthPass(state, growth);
    if (guess <= 2 || guess >= kLastPassLimit) continue;
    round.guess[lane] = guess;
    searched |= 1u << lane;
    lastGuess = std::max(lastGuess, guess);
  }
  if (searched == 0) return 0;
  cutFetches(round, lastGuess);
  probedFetches(round);
  const std::uint32_t sure = std::uint32_t(lastPass(round)) & searched;
  for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
    if ((sure >> lane) & 1) finishLastPass(round, lane, lanes[lane]);
  }
  return sure;
}

#else

std::uint32_t beginGrowthSideBySide(std::span<GrowthLane>) { return 0; }
std::uint32_t endGrowthSideBySide(std::span<LastPassLane>) { return 0; }

#endif  // LITTORAL_EXP_LANES_X86

}  // namespace littoral
