#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "hindcast.hpp"
#include "numerics.hpp"

namespace littoral {
namespace {

StormTerms computeStormTerms(const CaseState& state) {
  StormTerms terms{};
  const double ua = double(state.ua);
  terms.Fd = toSingle(double(state.depth) * double(state.g) / ua / ua);
  terms.Ftd = toSingle(double(state.duration) * double(state.g) / ua);
  terms.heightDepthTerm = storeRootPower(terms.Fd, RootPower::threeQuarters, [](double power) {
    return toSingle(power * double(0.53f));
  });
  terms.periodDepthTerm = storeRootPower(terms.Fd, RootPower::threeEighths, [](double power) {
    return toSingle(power * double(0.833f));
  });
  terms.durationPeriod = toSingle(durationLawPower(terms.Ftd) * (ua / double(state.g)));
  return terms;
}

// The period law of the growth laws for FF: FTs = 7.54 b tanh(0.0379 FF^(1/3) / b), with
// b = tanh(0.833 Fd^0.375): the argument r of its tanh, and FTs from tanh(r).
float periodLawArgument(float periodDepthTanh, float FF) {
  const float periodFetchTerm = toSingle(periodFetchPower(FF) * double(0.0379f));
  return toSingle(double(periodFetchTerm) / double(periodDepthTanh));
}

float periodLawFromTanh(float periodDepthTanh, double tanhR) {
  return toSingle(double(periodDepthTanh) * double(7.54f) * tanhR);
}

float periodLaw(float periodDepthTanh, float FF) {
  return periodLawFromTanh(periodDepthTanh, tanhExp(periodLawArgument(periodDepthTanh, FF)));
}

float nondimensionalFetch(const CaseState& state, float fetch) {
  const double ua = double(state.ua);
  return toSingle(double(fetch) * double(state.g) / ua / ua);
}

float periodOfLaw(const CaseState& state, float FTs) {
  return toSingle(double(state.ua) * double(FTs) / double(state.g));
}

// The fetches of the passes, each 0.98 of the one before as a stored single, made as far as
// they are asked for; once a cut leaves the fetch as it was, every later fetch is the same.
class PassFetches {
 public:
  explicit PassFetches(float firstFetch) {
    fetches_.clear();
    fetches_.push_back(firstFetch);
  }
  float of(std::int32_t pass) {
    const auto wanted = std::size_t(pass);
    if (fetches_.size() < wanted && !settled_) extendTo(wanted);
    return fetches_[std::min(wanted, fetches_.size()) - 1];
  }

 private:
  // The product of two singles is exact in double, so the single product rounds it as
  // toSingle(double(0.98f) * double(fetch)) does, with a third of the latency.
  void extendTo(std::size_t wanted) {
    std::size_t count = fetches_.size();
    fetches_.resize(wanted);
    float* const fetches = fetches_.data();
    for (float fetch = fetches[count - 1]; count < wanted; ++count) {
      const float next = 0.98f * fetch;
      if (next == fetch) {
        settled_ = true;
        break;
      }
      fetches[count] = next;
      fetch = next;
    }
    fetches_.resize(count);
  }

  bool settled_ = false;
  static thread_local std::vector<float> fetches_;
};

thread_local std::vector<float> PassFetches::fetches_;

}  // namespace

double durationLawPower(float Ftd) {
  return realPower(double(Ftd) / kDurationLawDivisor, kDurationLawExponent);
}

double periodFetchPower(float FF) { return realPower(double(FF), kPeriodFetchExponent); }

WaveGrowth startWaveGrowth(const CaseState& state) {
  WaveGrowth growth{};
  growth.terms = computeStormTerms(state);
  growth.initialFetch = state.fetch;
  return growth;
}

std::int32_t estimateLastGrowthPass(const CaseState& state, const WaveGrowth& growth) {
  const float firstFetch = state.fetch;
  const double b = double(growth.periodDepthTanh);
  const double ua = double(state.ua);
  const double g = double(state.g);
  const double y = double(growth.terms.durationPeriod) * g / (ua * 7.54 * b);
  const double x = std::atanh(y);
  const double root = x * b / 0.0379;
  const double ff = root * root * root;
  const double passes = 1 + std::log(ff * ua * ua / g / double(firstFetch)) / std::log(0.98);
  if (!(passes >= 2 && passes < 1e6)) return 2;
  return std::int32_t(std::ceil(passes));
}

void beginGrowthPass(CaseState& state, WaveGrowth& growth) {
  growth.passFetch = state.fetch;
  state.fetch = toSingle(double(growth.fetchStep) * double(state.fetch));
  growth.FF = nondimensionalFetch(state, state.fetch);
  ++growth.passes;
}

// Shallow-water growth laws in non-dimensional form:
//   g Hs / ua^2 = 0.283 tanh(0.53 Fd^0.75) tanh(0.00565 FF^0.5 / tanh(0.53 Fd^0.75))
//   g Ts / ua   = 7.54 tanh(0.833 Fd^0.375) tanh(0.0379 FF^(1/3) / tanh(0.833 Fd^0.375))
// A period already found by the last pass's search is taken as it is.
bool endGrowthPass(CaseState& state, WaveGrowth& growth) {
  const StormTerms& terms = growth.terms;
  const float FF = growth.FF;
  const float heightFetchTerm = toSingle(checkedSqrt(double(FF)) * double(0.00565f));
  // The depth terms' tanh are the same in every pass: the first pass works them out.
  if (growth.passes == 1) growth.heightDepthTanh = toSingle(tanhExp(terms.heightDepthTerm));
  const float a = growth.heightDepthTanh;
  const float q = toSingle(double(heightFetchTerm) / double(a));
  growth.FHs = toSingle(double(a) * double(0.283f) * tanhExp(q));
  if (growth.passes == 1) growth.periodDepthTanh = toSingle(tanhExp(terms.periodDepthTerm));
  growth.FTs = growth.knownFTs ? *growth.knownFTs : periodLaw(growth.periodDepthTanh, FF);

  growth.fetchStep = 0.98f;
  const double ua = double(state.ua);
  state.hs = toSingle(ua * double(growth.FHs) * ua / double(state.g));
  state.ts = toSingle(ua * double(growth.FTs) / double(state.g));
  if (!(state.ts > terms.durationPeriod)) return false;
  // A fetch too small for 2 % to change it can no longer lower ts: the loop would not end.
  return !(growth.passes > 1 && state.fetch == growth.passFetch);
}

// A pass after the first ends the loop when its period no longer exceeds the duration's, or
// when its cut left the fetch as it was. Both only grow truer as the fetch shrinks: the fetch
// never grows, and the period of a smaller fetch is never larger (FF, FF^(1/3), the program's
// tanh and the products are each non-decreasing over the singles the passes meet, as
// littoral_growth_check verifies for every single). So the last pass is the first that ends
// the loop, found by galloping from an estimate and halving, each probe working out only the
// period. No pass before the last can fail where the first did not: its FF is smaller, and an FF
// come down to zero, where a height law of a = 0 fails, gives a period of zero, which ends the
// loop at that pass.
//
// The estimate is nearly always the last pass, and the search then asks for the pass before it:
// the two are probed side by side, where neither probe can fail, so that their library calls
// overlap. The FTs of the last pass, where a probe worked it out, is kept for endGrowthPass.
void beginLastGrowthPass(CaseState& state, WaveGrowth& growth) {
  PassFetches fetches(state.fetch);
  const float b = growth.periodDepthTanh;
  const auto lawArgument = [&](std::int32_t pass) {
    return periodLawArgument(b, nondimensionalFetch(state, fetches.of(pass)));
  };
  std::array<std::pair<std::int32_t, float>, 2> probed{};  // FTs worked out ahead
  std::int32_t lastEndingPass = 0;  // the last probe that ended the loop, with its FTs
  float lastEndingFTs = 0;
  const auto endsAt = [&](std::int32_t pass) {
    const float fetch = fetches.of(pass);
    if (fetch == fetches.of(pass - 1)) return true;
    float FTs = 0;
    if (pass == probed[0].first || pass == probed[1].first) {
      FTs = pass == probed[0].first ? probed[0].second : probed[1].second;
    } else {
      FTs = periodLawFromTanh(b, tanhExp(lawArgument(pass)));
    }
    const bool ends = !(periodOfLaw(state, FTs) > growth.terms.durationPeriod);
    if (ends) {
      lastEndingPass = pass;
      lastEndingFTs = FTs;
    }
    return ends;
  };
  std::int32_t running = 1;  // the last pass known to ask for another
  std::int32_t ending = 0;   // the first pass known to end the loop, once found
  const std::int32_t guess = estimateLastGrowthPass(state, growth);
  if (guess > 2) {
    const float guessArgument = lawArgument(guess);
    const float beforeArgument = lawArgument(guess - 1);
    if (!tanhExpCanFail(guessArgument) && !tanhExpCanFail(beforeArgument)) {
      probed[0] = {guess, periodLawFromTanh(b, tanhExp(guessArgument))};
      probed[1] = {guess - 1, periodLawFromTanh(b, tanhExp(beforeArgument))};
    }
  }
  if (endsAt(guess)) {
    ending = guess;
    for (std::int32_t step = 1; ending - step > running; step *= 2) {
      if (!endsAt(ending - step)) {
        running = ending - step;
        break;
      }
      ending -= step;
    }
  } else {
    running = guess;
    for (std::int32_t step = 1; ending == 0; step *= 2) {
      if (endsAt(running + step)) {
        ending = running + step;
      } else {
        running += step;
      }
    }
  }
  while (ending - running > 1) {
    const std::int32_t middle = running + (ending - running) / 2;
    if (endsAt(middle)) {
      ending = middle;
    } else {
      running = middle;
    }
  }
  state.fetch = fetches.of(ending - 1);
  growth.passes = ending - 1;
  if (lastEndingPass == ending) growth.knownFTs = lastEndingFTs;
  beginGrowthPass(state, growth);
}

GrowthLimit growthLimit(const CaseState& state, const WaveGrowth& growth) {
  if (state.fetch < growth.initialFetch) return GrowthLimit::duration;
  if (state.fetch == growth.initialFetch) return GrowthLimit::fetch;
  return GrowthLimit::none;
}

}  // namespace littoral
