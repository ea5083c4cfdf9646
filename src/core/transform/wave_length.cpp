#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "exp_lanes.hpp"
#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
namespace {

constexpr std::int32_t kPasses = 30;

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

// The rest of a pass once tanh(kd) is known: the new length, and the terms of the last pass.
// Returns true when the pass was the last: it ended where it started, or it was the 30th.
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
  const bool last = run.passes == kPasses || std::bit_cast<std::uint32_t>(run.waveLength) ==
                                                 std::bit_cast<std::uint32_t>(startLength);
  if (!last) return false;
  const TwoKdExps sinhExps = exps != nullptr ? *exps : twoKdExps(arguments.twoKd);
  run.twoKd = arguments.twoKd;
  run.sinhTwoKd = (double(sinhExps.plus) - double(sinhExps.minus)) * 0.5;
  if (run.localUse) state.groupRatio = toSingle((double(run.twoKd) / run.sinhTwoKd + 1) * 0.5);
  const double depthLimit = double(state.depth) * double(0.78f);
  const double steepnessLimit = double(state.steepLimitLength) * tanhKd;
  state.breakLimitHeight = toSingle(depthLimit < steepnessLimit ? depthLimit : steepnessLimit);
  return true;
}

// Whether a pass can meet a math error: an exp of its kd or 2kd could fail.
bool passCanFail(PassArguments arguments) {
  return twoKdExpsCanFail(arguments.twoKd) ||
         !(std::fabs(double(arguments.kd)) <= kSafeExpArgument);
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

WaveLengthRun startOffshoreWaveLength(CaseState& state) {
  state.twoPi = toSingle(double(state.pi) * 2);
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
  // Deep-water length g T^2 / (2 pi).
  state.lo =
      toSingle(double(state.ts) * double(state.g) * double(state.ts) * 0.5 / double(state.pi));
  state.fourPi = toSingle(double(state.pi) * 4);
  state.steepLimitLength = toSingle(double(state.lo) * double(0.14f));
  WaveLengthRun run;
  run.waveLength = state.lo;
  return run;
}

void finishOffshoreWaveLength(CaseState& state, const WaveLengthRun& run) {
  state.l1 = toSingle(run.lengthTerm);
  state.co = toSingle(double(state.lo) / double(state.ts));
  state.ks = shoalingCoefficient(run);
}

WaveLengthRun startLocalWaveLength(const CaseState& state) {
  WaveLengthRun run;
  run.waveLength = state.l1;
  run.localUse = true;
  return run;
}

void finishLocalWaveLength(CaseState& state, const WaveLengthRun& run) {
  state.ksLocal = shoalingCoefficient(run);
  state.localCelerity = toSingle(double(state.localLength) / double(state.ts));
}

void iterateWaveLength(CaseState& state, WaveLengthRun& run) {
  while (!runPass(state, run, passArguments(state, run.waveLength))) {
  }
}

// Each round runs a pass of every storm in the round: first their kd, then the exps of kd and
// -kd of them all at once, then the rest of each pass. A pass that can meet a math error runs
// alone with the library's exps, so that the error ends its storm where it would alone. A storm
// whose iteration ends makes room for the next.
void iterateWaveLengths(std::span<WaveLengthLane> lanes) {
  constexpr std::size_t kRound = 8;  // storms in a round
  const ExpLanes way = bestExpLanes();
  std::array<WaveLengthLane*, kRound> round{};
  std::size_t inRound = 0;
  std::size_t next = 0;
  for (;;) {
    while (inRound < kRound && next < lanes.size()) round[inRound++] = &lanes[next++];
    if (inRound == 0) return;
    std::array<PassArguments, kRound> arguments{};
    std::array<std::size_t, kRound> together{};  // the storms whose exps are worked out together
    std::array<double, 2 * kRound> exps{};
    std::array<double, 2 * kRound> results{};
    std::array<bool, kRound> ended{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < inRound; ++i) {
      WaveLengthLane& lane = *round[i];
      arguments[i] = passArguments(*lane.state, lane.run.waveLength);
      if (passCanFail(arguments[i])) {
        try {
          ended[i] = runPass(*lane.state, lane.run, arguments[i]);
        } catch (const MathError& error) {
          lane.error = error;
          ended[i] = true;
        }
        continue;
      }
      exps[2 * count] = double(arguments[i].kd);
      exps[2 * count + 1] = -double(arguments[i].kd);
      together[count++] = i;
    }
    expEach(way, exps.data(), results.data(), 2 * count);
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t i = together[k];
      const double tanhKd = tanhFromExps(results[2 * k], results[2 * k + 1]);
      ended[i] = endPass(*round[i]->state, round[i]->run, arguments[i], tanhKd, nullptr);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < inRound; ++i) {
      if (!ended[i]) round[kept++] = round[i];
    }
    inRound = kept;
  }
}

void computeOffshoreWaveLength(CaseState& state) {
  WaveLengthRun run = startOffshoreWaveLength(state);
  iterateWaveLength(state, run);
  finishOffshoreWaveLength(state, run);
}

void computeLocalWaveLength(CaseState& state) {
  WaveLengthRun run = startLocalWaveLength(state);
  iterateWaveLength(state, run);
  finishLocalWaveLength(state, run);
}

}  // namespace littoral
