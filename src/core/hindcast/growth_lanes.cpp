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
LITTORAL_AVX2 void cutFetches(LastPassRound& round, std::int32_t lastGuess) {
  const __m256i guess = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(round.guess.data()));
  const __m256 cut = _mm256_set1_ps(0.98f);
  __m256 fetch = _mm256_loadu_ps(round.firstFetch.data());
  __m256 pass = fetch;
  __m256 last = fetch;
  for (std::int32_t k = 1; k <= lastGuess; ++k) {
    if (k > 1) fetch = _mm256_mul_ps(cut, fetch);
    const auto at = [&](std::int32_t ahead) LITTORAL_AVX2 {
      return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_set1_epi32(k + ahead), guess));
    };
    pass = _mm256_blendv_ps(pass, fetch, at(1));
    last = _mm256_blendv_ps(last, fetch, at(0));
  }
  _mm256_storeu_ps(round.passFetch.data(), pass);
  _mm256_storeu_ps(round.fetch.data(), last);
}

// The pass's steps in each lane way.
#define LITTORAL_LANE_STEPS "growth_lane_steps.inc"
#include "in_each_lane_way.inc"

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
  const std::uint32_t sure = (runsEightWideLanes() ? lane_steps_avx512::firstPass(round)
                                                   : lane_steps_avx2::firstPass(round)) &
                             ((1u << lanes.size()) - 1);
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
  const std::uint32_t sure = (runsEightWideLanes() ? lane_steps_avx512::probesAndLastPass(round)
                                                   : lane_steps_avx2::probesAndLastPass(round)) &
                             searched;
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
