#include "hindcast.hpp"
#include "numerics.hpp"
#include "records.hpp"

namespace {

// The terms of the growth laws that depend on depth and duration only.
struct StormTerms {
  float Fd;               // non-dimensional depth g d / ua^2
  float Ftd;              // non-dimensional duration g t / ua
  float heightDepthTerm;  // 0.53 Fd^0.75
  float periodDepthTerm;  // 0.833 Fd^0.375
  float durationPeriod;   // the period the duration allows: Ftd = 537 (g T / ua)^(7/3)
};

// The non-dimensional height and period that the current fetch gives.
struct GrowthResult {
  float FHs;
  float FTs;
};

StormTerms computeStormTerms(const CaseState& state) {
  StormTerms terms{};
  const double ua = double(state.ua);
  terms.Fd = toSingle(double(state.depth) * double(state.g) / ua / ua);
  terms.Ftd = toSingle(double(state.duration) * double(state.g) / ua);
  terms.heightDepthTerm = toSingle(realPower(double(terms.Fd), 0.75) * double(0.53f));
  terms.periodDepthTerm = toSingle(realPower(double(terms.Fd), 0.375) * double(0.833f));
  terms.durationPeriod =
      toSingle(realPower(double(terms.Ftd) / 537, double(0.42857143f)) * (ua / double(state.g)));
  return terms;
}

// Shallow-water growth laws in non-dimensional form:
//   g Hs / ua^2 = 0.283 tanh(0.53 Fd^0.75) tanh(0.00565 FF^0.5 / tanh(0.53 Fd^0.75))
//   g Ts / ua   = 7.54 tanh(0.833 Fd^0.375) tanh(0.0379 FF^(1/3) / tanh(0.833 Fd^0.375))
GrowthResult applyGrowthLaws(const StormTerms& terms, float FF) {
  const float heightFetchTerm = toSingle(checkedSqrt(double(FF)) * double(0.00565f));
  const float periodFetchTerm =
      toSingle(realPower(double(FF), double(0.33333334f)) * double(0.0379f));
  GrowthResult result{};
  const float a = toSingle(tanhExp(terms.heightDepthTerm));
  const float q = toSingle(double(heightFetchTerm) / double(a));
  result.FHs = toSingle(double(a) * double(0.283f) * tanhExp(q));
  const float b = toSingle(tanhExp(terms.periodDepthTerm));
  const float r = toSingle(double(periodFetchTerm) / double(b));
  result.FTs = toSingle(double(b) * double(7.54f) * tanhExp(r));
  return result;
}

void reportPass(const StormTerms& terms, float FF, RunIo& io) {
  writeRecord(io.console, {"Fd, FF, Ftd =", terms.Fd, FF, terms.Ftd});
  writeRecord(io.report, {"Non-dimensional depth Fd", terms.Fd});
  writeRecord(io.report, {"Non-dimensional fetch FF", FF});
  writeRecord(io.report, {"Non-dimensional duration Ftd", terms.Ftd});
}

void reportGrowth(const CaseState& state, float initialFetch, const GrowthResult& growth,
                  RunIo& io) {
  if (state.fetch < initialFetch) {
    writeRecord(io.console, {"Duration Limited with Feff = ", state.fetch});
    writeRecord(io.report, {"Duration Limited with Feff = ", state.fetch});
  }
  if (state.fetch == initialFetch) {
    writeRecord(io.console, {"Fetch Limited  "});
    writeRecord(io.report, {"Fetch Limited  "});
  }
  writeRecord(io.report, {"Non-dimensional Wave Height FHs =", growth.FHs});
  writeRecord(io.report, {"Non-dimensional Period FTs =", growth.FTs});
  writeRecord(io.console, {"Hs and Ts ", state.hs, state.ts});
  writeRecord(io.report, {"Significant Wave height Hs (ft or m) = ", state.hs});
  writeRecord(io.report, {"Significant Wave Period Ts (s) = ", state.ts});
}

}  // namespace

void computeWaveGrowth(CaseState& state, RunIo& io) {
  const float initialFetch = state.fetch;
  float fetchStep = 1.0f;
  const StormTerms terms = computeStormTerms(state);
  GrowthResult growth{};
  for (int pass = 1;; ++pass) {
    const float passFetch = state.fetch;
    state.fetch = toSingle(double(fetchStep) * double(state.fetch));
    const double ua = double(state.ua);
    const float FF = toSingle(double(state.fetch) * double(state.g) / ua / ua);
    reportPass(terms, FF, io);
    growth = applyGrowthLaws(terms, FF);
    fetchStep = 0.98f;
    state.hs = toSingle(ua * double(growth.FHs) * ua / double(state.g));
    state.ts = toSingle(ua * double(growth.FTs) / double(state.g));
    if (!(state.ts > terms.durationPeriod)) break;
    // A fetch too small for 2 % to change it can no longer lower ts: the loop would not end.
    if (pass > 1 && state.fetch == passFetch) break;
  }
  reportGrowth(state, initialFetch, growth, io);
}
