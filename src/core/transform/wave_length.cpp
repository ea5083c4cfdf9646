#include <bit>
#include <cstdint>

#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
namespace {

constexpr int kPasses = 30;

// The terms of the last pass, from which the shoaling coefficient is formed.
struct LastPass {
  double lengthTerm = 0;  // lo tanh(kd)
  double tanhKd = 0;
  float twoKd = 0;
  double sinhTwoKd = 0;
};

// Solves L = lo tanh(2 pi d / L) by 30 averaging passes from the start length, keeping the
// breaking limit min(0.78 d, 0.14 lo tanh(kd)) of every pass. The local use also stores the
// length term as localLength and the group ratio n = (1 + 2kd / sinh 2kd) / 2. A pass depends
// on nothing but its start length, so once a pass ends where it started every later pass
// repeats it exactly, and the passes stop there with the values of all 30.
LastPass iterateWaveLength(CaseState& state, float waveLength, bool localUse) {
  LastPass pass;
  for (int passNumber = 1; passNumber <= kPasses; ++passNumber) {
    const float startLength = waveLength;
    float kd = toSingle(double(state.twoPiDepth) / double(waveLength));
    limitTo(kd, state.twoPi);
    float twoKd = toSingle(double(state.twoPiDepth) * 2 / double(waveLength));
    limitTo(twoKd, state.fourPi);
    const float expTwoKd = toSingle(checkedExp(double(twoKd)));
    const float expMinusTwoKd = toSingle(checkedExp(-double(twoKd)));
    pass.tanhKd = tanhExp(kd);
    pass.lengthTerm = double(state.lo) * pass.tanhKd;
    if (localUse) {
      state.localLength = toSingle(pass.lengthTerm);
      pass.lengthTerm = double(state.localLength);
    }
    waveLength = toSingle((double(waveLength) + pass.lengthTerm) * 0.5);
    pass.twoKd = twoKd;
    pass.sinhTwoKd = (double(expTwoKd) - double(expMinusTwoKd)) * 0.5;
    if (localUse) state.groupRatio = toSingle((double(twoKd) / pass.sinhTwoKd + 1) * 0.5);
    const double depthLimit = double(state.depth) * double(0.78f);
    const double steepnessLimit = double(state.steepLimitLength) * pass.tanhKd;
    state.breakLimitHeight = toSingle(depthLimit < steepnessLimit ? depthLimit : steepnessLimit);
    if (std::bit_cast<std::uint32_t>(waveLength) == std::bit_cast<std::uint32_t>(startLength)) {
      break;
    }
  }
  return pass;
}

// Shoaling coefficient sqrt(1 / (tanh(kd) (1 + 2kd / sinh 2kd))), i.e. sqrt(co / (2 n c)).
float shoalingCoefficient(const LastPass& pass) {
  return toSingle(checkedSqrt((1 / pass.tanhKd) / (double(pass.twoKd) / pass.sinhTwoKd + 1)));
}

}  // namespace

void computeOffshoreWaveLength(CaseState& state) {
  state.twoPi = toSingle(double(state.pi) * 2);
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
  // Deep-water length g T^2 / (2 pi).
  state.lo =
      toSingle(double(state.ts) * double(state.g) * double(state.ts) * 0.5 / double(state.pi));
  state.fourPi = toSingle(double(state.pi) * 4);
  state.steepLimitLength = toSingle(double(state.lo) * double(0.14f));
  const LastPass pass = iterateWaveLength(state, state.lo, false);
  state.l1 = toSingle(pass.lengthTerm);
  state.co = toSingle(double(state.lo) / double(state.ts));
  state.ks = shoalingCoefficient(pass);
}

void computeLocalWaveLength(CaseState& state) {
  const LastPass pass = iterateWaveLength(state, state.l1, true);
  state.ksLocal = shoalingCoefficient(pass);
  state.localCelerity = toSingle(double(state.localLength) / double(state.ts));
}

}  // namespace littoral
