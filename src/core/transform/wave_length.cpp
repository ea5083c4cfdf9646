#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "exp_lanes.hpp"
#include "numerics.hpp"
#include "transform.hpp"
#include "wave_length_lanes.hpp"

namespace littoral {
namespace {

// The pass's kd = 2 pi d / L and 2kd, each limited to its bound as a single.
struct PassArguments {
  float kd;
  float twoKd;
};

PassArguments passArguments(const CaseState& state, float waveLength) {
  float kd = toSingle(double(state.twoPiDepth) / double(waveLength));
  limitTo(kd, state.twoPi);
  float twoKd = toSingle(double(state.twoPiDepth) * 2 / double(waveLength));
  limitTo(twoKd, state.fourPi);
  return {kd, twoKd};
}

// exp(2kd) and exp(-2kd) as singles, for sinh 2kd.
struct TwoKdExps {
  float plus;
  float minus;
};

TwoKdExps twoKdExps(float twoKd) {
  return {toSingle(checkedExp(double(twoKd))), toSingle(checkedExp(-double(twoKd)))};
}

// Whether exp(2kd) or exp(-2kd) could end the run with a math error: a NaN, or a size beyond
// which a double overflows. Within it they only feed the last pass's sinh 2kd.
bool twoKdExpsCanFail(float twoKd) { return !(std::fabs(double(twoKd)) <= kSafeExpArgument); }

// Whether the pass from startLength that ended at run.waveLength was the last: it ended where it
// started, or it was the 30th.
bool wasLastPass(const WaveLengthRun& run, float startLength) {
  return run.passes == kWaveLengthPasses ||
         std::bit_cast<std::uint32_t>(run.waveLength) == std::bit_cast<std::uint32_t>(startLength);
}

// The terms of the last pass beside its tanh(kd): sinh 2kd, the group ratio and the breaking
// limit.
void finishLastPass(CaseState& state, WaveLengthRun& run, float twoKd, const TwoKdExps* exps) {
  const TwoKdExps sinhExps = exps != nullptr ? *exps : twoKdExps(twoKd);
  run.twoKd = twoKd;
  run.sinhTwoKd = (double(sinhExps.plus) - double(sinhExps.minus)) * 0.5;
  if (run.localUse) state.groupRatio = toSingle((double(run.twoKd) / run.sinhTwoKd + 1) * 0.5);
  const double depthLimit = double(state.depth) * double(0.78f);
  const double steepnessLimit = double(state.steepLimitLength) * run.tanhKd;
  state.breakLimitHeight = toSingle(depthLimit < steepnessLimit ? depthLimit : steepnessLimit);
}

// The rest of a pass once tanh(kd) is known: the new length, and the terms of the last pass.
// Returns true when the pass was the last.
bool endPass(CaseState& state, WaveLengthRun& run, PassArguments arguments, double tanhKd,
             const TwoKdExps* exps) {
  const float startLength = run.waveLength;
  ++run.passes;
  run.tanhKd = tanhKd;
  run.lengthTerm = double(state.lo) * tanhKd;
  if (run.localUse) {
    state.localLength = toSingle(run.lengthTerm);
    run.lengthTerm = double(state.localLength);
  }
  run.waveLength = toSingle((double(startLength) + run.lengthTerm) * 0.5);
  if (!wasLastPass(run, startLength)) return false;
  finishLastPass(state, run, arguments.twoKd, exps);
  return true;
}

// One pass with the library's exps, their math errors where a pass meets them: exp(2kd) and
// exp(-2kd) first, then tanh(kd). Returns true when it was the last.
bool runPass(CaseState& state, WaveLengthRun& run, PassArguments arguments) {
  if (twoKdExpsCanFail(arguments.twoKd)) {
    const TwoKdExps exps = twoKdExps(arguments.twoKd);
    return endPass(state, run, arguments, tanhExp(arguments.kd), &exps);
  }
  return endPass(state, run, arguments, tanhExp(arguments.kd), nullptr);
}

// Shoaling coefficient sqrt(1 / (tanh(kd) (1 + 2kd / sinh 2kd))), i.e. sqrt(co / (2 n c)).
float shoalingCoefficient(const WaveLengthRun& run) {
  return toSingle(checkedSqrt((1 / run.tanhKd) / (double(run.twoKd) / run.sinhTwoKd + 1)));
}

}  // namespace

void startOffshoreWaveLength(CaseState& state, WaveLengthRun& run) {
  state.twoPi = toSingle(double(state.pi) * 2);
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
  // Deep-water length g T^2 / (2 pi).
  state.lo =
      toSingle(double(state.ts) * double(state.g) * double(state.ts) * 0.5 / double(state.pi));
  state.fourPi = toSingle(double(state.pi) * 4);
  state.steepLimitLength = toSingle(double(state.lo) * double(0.14f));
  startWaveLengthRun(run, state.lo, false);
}

void finishOffshoreWaveLength(CaseState& state, const WaveLengthRun& run) {
  state.l1 = toSingle(run.lengthTerm);
  state.co = toSingle(double(state.lo) / double(state.ts));
  state.ks = shoalingCoefficient(run);
}

void finishLocalWaveLength(CaseState& state, const WaveLengthRun& run) {
  state.ksLocal = shoalingCoefficient(run);
  state.localCelerity = toSingle(double(state.localLength) / double(state.ts));
}

void iterateWaveLength(CaseState& state, WaveLengthRun& run) {
  while (!runPass(state, run, passArguments(state, run.waveLength))) {
  }
}

namespace {

// Runs the rest of a lane's iteration alone, its math error kept.
void iterateAlone(WaveLengthLane& lane) {
  try {
    iterateWaveLength(*lane.state, lane.run);
  } catch (const MathError& error) {
    lane.error = error;
  }
}

// Takes the lane into a round's lane `at`.
void enterRound(const WaveLengthLane& lane, PassRound& round, std::size_t at) {
  const CaseState& state = *lane.state;
  round.startLength[at] = lane.run.waveLength;
  round.passes[at] = lane.run.passes;
  round.twoPiDepth[at] = state.twoPiDepth;
  round.twoPi[at] = state.twoPi;
  round.lo[at] = state.lo;
  const std::uint32_t bit = 1u << at;
  round.localUse = lane.run.localUse ? round.localUse | bit : round.localUse & ~bit;
}

// Takes a lane's last pass from a round, and its 2kd for the finish (LastPasses).
void takeLastPass(WaveLengthLane& lane, const PassRound& round, std::size_t at) {
  WaveLengthRun& run = lane.run;
  CaseState& state = *lane.state;
  const float startLength = round.startLength[at];
  run.passes = round.passes[at];
  run.waveLength = round.endLength[at];
  run.tanhKd = round.tanhKd[at];
  run.lengthTerm = round.lengthTerm[at];
  if (run.localUse) state.localLength = toSingle(run.lengthTerm);
  run.twoKd = passArguments(state, startLength).twoKd;
}

// The lanes whose last pass is taken and whose iteration is still to be finished, with the exps
// of their sinh 2kd worked out together.
class LastPasses {
 public:
  void add(WaveLengthLane& lane) {
    if (count_ == kHeld) finish();
    lanes_[count_++] = &lane;
  }

  // kd is at most 354 in size, 2kd twice that: their exps cannot fail, and expEach gives
  // std::exp's bits, as checkedExp does.
  void finish() {
    for (std::size_t i = 0; i < count_; ++i) {
      x_[2 * i] = double(lanes_[i]->run.twoKd);
      x_[2 * i + 1] = -double(lanes_[i]->run.twoKd);
    }
    expEach(x_.data(), y_.data(), 2 * count_);
    for (std::size_t i = 0; i < count_; ++i) {
      const TwoKdExps exps{toSingle(y_[2 * i]), toSingle(y_[2 * i + 1])};
      finishLastPass(*lanes_[i]->state, lanes_[i]->run, lanes_[i]->run.twoKd, &exps);
    }
    count_ = 0;
  }

 private:
  static constexpr std::size_t kHeld = 64;
  std::array<WaveLengthLane*, kHeld> lanes_{};
  std::size_t count_ = 0;
  std::array<double, 2 * kHeld> x_{};
  std::array<double, 2 * kHeld> y_{};
};

}  // namespace

// Each round works out a pass of up to 32 storms at once (PassRound), one storm a lane.
// A lane whose pass could meet a math error, or whose exps lie off the vector exp's main path,
// runs the rest of its iteration alone with the library's exps, so that an error ends its storm
// where it would alone. A storm whose iteration ends makes room for the next.
void iterateWaveLengths(std::span<WaveLengthLane> lanes) {
  const PassRoundKernel kernel = passRoundKernel(bestExpLanes());
  PassRound round;
  static_assert(PassRound::kWidth == 32, "a lane a bit of occupied");
  std::array<WaveLengthLane*, PassRound::kWidth> inLane{};
  std::uint32_t occupied = 0;
  std::size_t next = 0;
  LastPasses lastPasses;
  for (;;) {
    for (std::uint32_t free = ~occupied; free != 0 && next < lanes.size(); free &= free - 1) {
      const auto at = std::size_t(std::countr_zero(free));
      inLane[at] = &lanes[next++];
      enterRound(*inLane[at], round, at);
      occupied |= 1u << at;
    }
    if (occupied == 0) {
      lastPasses.finish();
      return;
    }
    const RoundLanes worked = kernel(round);
    const std::uint32_t alone = occupied & ~worked.computed;
    const std::uint32_t ended = occupied & worked.ended;
    for (std::uint32_t rest = alone; rest != 0; rest &= rest - 1) {
      const auto at = std::size_t(std::countr_zero(rest));
      WaveLengthLane& lane = *inLane[at];
      lane.run.waveLength = round.startLength[at];
      lane.run.passes = round.passes[at];
      iterateAlone(lane);
    }
    for (std::uint32_t rest = ended; rest != 0; rest &= rest - 1) {
      const auto at = std::size_t(std::countr_zero(rest));
      takeLastPass(*inLane[at], round, at);
      lastPasses.add(*inLane[at]);
    }
    occupied &= ~(alone | ended);
  }
}

void computeOffshoreWaveLength(CaseState& state) {
  WaveLengthRun run;
  startOffshoreWaveLength(state, run);
  iterateWaveLength(state, run);
  finishOffshoreWaveLength(state, run);
}

void computeLocalWaveLength(CaseState& state) {
  WaveLengthRun run;
  startLocalWaveLength(state, run);
  iterateWaveLength(state, run);
  finishLocalWaveLength(state, run);
}

}  // namespace littoral
