#include "console_input.hpp"
#include "numerics.hpp"
#include "records.hpp"
#include "transform.hpp"

namespace {

// Hrms, Hs, H10 and H1 of a Rayleigh sea: Hs / sqrt 2, Hs, 1.27 Hs and 1.67 Hs.
struct HeightRow {
  float hrms;
  float h10;
  float h1;
};

HeightRow heightRatios(float hs, float sqrtTwo) {
  return {toSingle(double(hs) / double(sqrtTwo)), toSingle(double(hs) * double(1.27f)),
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

void writeRow(Destination& destination, const char* label, const HeightRow& row, float hs) {
  writeRecord(destination, {label, row.hrms, hs, row.h10, row.h1});
}

}  // namespace

bool computeHeightStatistics(CaseState& state, RunIo& io) {
  const float sqrtTwo = toSingle(checkedSqrt(2));
  HeightRow offshore = heightRatios(state.hs, sqrtTwo);
  limitTo(offshore.hrms, state.offshoreBreakLimit);
  limitTo(state.localHeight, state.offshoreBreakLimit);
  limitTo(offshore.h10, state.offshoreBreakLimit);
  limitTo(offshore.h1, state.offshoreBreakLimit);
  writeRecord(io.console, {"-    Hrms,            Hs,           H10,          H1  "});
  writeRecord(io.report, {"-    Hrms,            Hs,           H10,          H1"});
  writeRow(io.console, "Offshore", offshore, state.hs);
  writeRow(io.report, "Offshore", offshore, state.hs);
  prepareHeightClasses(state, offshore);

  // The local ratios come from the height before its own breaking limit.
  HeightRow local = heightRatios(state.localHeight, sqrtTwo);
  limitTo(local.hrms, state.breakLimitHeight);
  limitTo(state.localHeight, state.breakLimitHeight);
  limitTo(local.h10, state.breakLimitHeight);
  limitTo(local.h1, state.breakLimitHeight);
  writeRow(io.console, "Local   ", local, state.localHeight);
  state.hnso = toSingle(double(state.deepHeight) / double(sqrtTwo));
  writeRecord(io.console, {"Hnso =", state.hnso, state.deepHeight});
  writeRow(io.report, "Local ", local, state.localHeight);

  writeRecord(io.console, {"Enter 1 to continue or any other key to terminate"});
  readValue(io, state.continueAnswer);
  return state.continueAnswer == 1;
}
