#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
namespace {

HeightRow heightRatios(float hs, float sqrtTwo) {
  return {toSingle(double(hs) / double(sqrtTwo)), hs, toSingle(double(hs) * double(1.27f)),
          toSingle(double(hs) * double(1.67f))};
}

// The five class bounds as deep-water heights: Hrms / 2, Hrms, Hs, H10 and H1 over ks kr.
void prepareHeightClasses(CaseState& state, const HeightRow& offshore) {
  const double divisor = double(state.ks) * double(state.kr);
  state.classHeight[0] = toSingle((0.5 * double(offshore.hrms)) / divisor);
  state.classHeight[1] = toSingle(double(offshore.hrms) / divisor);
  state.classHeight[2] = toSingle(double(state.hs) / divisor);
  state.classHeight[3] = toSingle(double(offshore.h10) / divisor);
  state.classHeight[4] = toSingle(double(offshore.h1) / divisor);
}

// Limits the row's Hrms, H10 and H1, and the local height, to a breaking limit; the row's Hs is
// the height it was formed from.
void limitRow(HeightRow& row, float& localHeight, float breakLimit) {
  limitTo(row.hrms, breakLimit);
  limitTo(localHeight, breakLimit);
  limitTo(row.h10, breakLimit);
  limitTo(row.h1, breakLimit);
}

}  // namespace

HeightStatistics computeHeightStatistics(CaseState& state) {
  const float sqrtTwo = toSingle(checkedSqrt(2));
  HeightStatistics statistics{};
  HeightRow& offshore = statistics.offshore;
  offshore = heightRatios(state.hs, sqrtTwo);
  limitRow(offshore, state.localHeight, state.offshoreBreakLimit);
  prepareHeightClasses(state, offshore);

  // The local ratios come from the height before its own breaking limit.
  HeightRow& local = statistics.local;
  local = heightRatios(state.localHeight, sqrtTwo);
  limitRow(local, state.localHeight, state.breakLimitHeight);
  local.hs = state.localHeight;
  state.hnso = toSingle(double(state.deepHeight) / double(sqrtTwo));
  return statistics;
}

}  // namespace littoral
