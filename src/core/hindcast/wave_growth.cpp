#include "hindcast.hpp"
#include "numerics.hpp"

namespace {

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

}  // namespace

WaveGrowth startWaveGrowth(const CaseState& state) {
  WaveGrowth growth{};
  growth.terms = computeStormTerms(state);
  growth.initialFetch = state.fetch;
  return growth;
}

void beginGrowthPass(CaseState& state, WaveGrowth& growth) {
  growth.passFetch = state.fetch;
  state.fetch = toSingle(double(growth.fetchStep) * double(state.fetch));
  const double ua = double(state.ua);
  growth.FF = toSingle(double(state.fetch) * double(state.g) / ua / ua);
  ++growth.passes;
}

// Shallow-water growth laws in non-dimensional form:
//   g Hs / ua^2 = 0.283 tanh(0.53 Fd^0.75) tanh(0.00565 FF^0.5 / tanh(0.53 Fd^0.75))
//   g Ts / ua   = 7.54 tanh(0.833 Fd^0.375) tanh(0.0379 FF^(1/3) / tanh(0.833 Fd^0.375))
bool endGrowthPass(CaseState& state, WaveGrowth& growth) {
  const StormTerms& terms = growth.terms;
  const float FF = growth.FF;
  const float heightFetchTerm = toSingle(checkedSqrt(double(FF)) * double(0.00565f));
  const float periodFetchTerm =
      toSingle(realPower(double(FF), double(0.33333334f)) * double(0.0379f));
  // The depth terms' tanh are the same in every pass: the first pass works them out.
  if (growth.passes == 1) growth.heightDepthTanh = toSingle(tanhExp(terms.heightDepthTerm));
  const float a = growth.heightDepthTanh;
  const float q = toSingle(double(heightFetchTerm) / double(a));
  growth.FHs = toSingle(double(a) * double(0.283f) * tanhExp(q));
  if (growth.passes == 1) growth.periodDepthTanh = toSingle(tanhExp(terms.periodDepthTerm));
  const float b = growth.periodDepthTanh;
  const float r = toSingle(double(periodFetchTerm) / double(b));
  growth.FTs = toSingle(double(b) * double(7.54f) * tanhExp(r));

  growth.fetchStep = 0.98f;
  const double ua = double(state.ua);
  state.hs = toSingle(ua * double(growth.FHs) * ua / double(state.g));
  state.ts = toSingle(ua * double(growth.FTs) / double(state.g));
  if (!(state.ts > terms.durationPeriod)) return false;
  // A fetch too small for 2 % to change it can no longer lower ts: the loop would not end.
  return !(growth.passes > 1 && state.fetch == growth.passFetch);
}

GrowthLimit growthLimit(const CaseState& state, const WaveGrowth& growth) {
  if (state.fetch < growth.initialFetch) return GrowthLimit::duration;
  if (state.fetch == growth.initialFetch) return GrowthLimit::fetch;
  return GrowthLimit::none;
}
