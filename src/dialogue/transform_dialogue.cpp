#include "console_input.hpp"
#include "records.hpp"
#include "stage_dialogues.hpp"
#include "transform.hpp"

namespace {

OffshoreWave reportCappedWave(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"ks =", state.ks});
  const OffshoreWave wave = capOffshoreWave(state);
  writeRecord(io.console, {"Deep wave length and celerity (Lo,Co) ", state.lo, state.co});
  writeRecord(io.report, {"Deep wave length and celerity (Lo,Co) ", state.lo, state.co});
  writeRecord(io.console, {"Wave length and celerity (L1,C1)", state.l1, state.c1});
  writeRecord(io.report, {"Wave length and celerity (L1,C1)", state.l1, state.c1});
  writeRecord(io.console, {"Approximate surf depth = ", wave.surfDepth});
  writeRecord(io.console, {" "});
  return wave;
}

void readLocalDepthAndAngle(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"Local depth d near surf zone = "});
  readValue(io, state.depth);
  writeRecord(io.report, {"Local depth d near surf zone = ", state.depth});
  setLocalDepth(state);
  writeRecord(io.console, {"Alfa (degrees) = "});
  readValue(io, state.alpha);
  writeRecord(io.console, {"Alfa = ", state.alpha});
  writeRecord(io.report, {"Offshore Angle Alfa = ", state.alpha});
}

void writeHeightRow(Destination& destination, const char* label, const HeightRow& row) {
  writeRecord(destination, {label, row.hrms, row.hs, row.h10, row.h1});
}

}  // namespace

void reportOffshoreWave(CaseState& state, RunIo& io) {
  const OffshoreWave wave = reportCappedWave(state, io);
  readLocalDepthAndAngle(state, io);
  const OffshoreAngle angle = refractOffshoreAngle(state);
  writeRecord(io.console, {"s1,co,c1,so", angle.s1, state.co, state.c1, state.so});
  const float aorDegrees = computeDeepAngle(state);
  writeRecord(io.console, {"AOR =", state.aor});
  writeRecord(io.console, {" DEEP WATER WAVE ANGLE =  ", aorDegrees});
  writeRecord(io.report, {" EFFECTIVE DEEP WATER WAVE ANGLE =  ", aorDegrees});
  computeDeepHeight(state, angle, wave);
  writeRecord(io.console, {" Ks AND Kr = ", state.ks, state.kr});
  writeRecord(io.report, {" DEEP WATER WAVE HEIGHT = ", state.deepHeight});
  writeRecord(io.report, {"EFFECTIVE DEEP WATER WAVE HEIGHT = ", state.deepHeight});
}

void reportLocalWave(CaseState& state, RunIo& io) {
  const float localAngle = computeLocalAngle(state);
  writeRecord(io.console, {"Local angle = ", state.localAngleDegrees});
  writeRecord(io.report, {"Local angle = ", state.localAngleDegrees});
  const float krLocal = computeLocalHeight(state, localAngle);
  for (Destination* destination : {&io.console, &io.report}) {
    writeRecord(*destination,
                {"Local wave length and height ", state.localLength, state.localHeight});
    writeRecord(*destination,
                {"Local wave height and celerity ", state.localHeight, state.localCelerity});
    writeRecord(*destination,
                {"Group Ratio, Ks and Kr (Local) ", state.groupRatio, state.ksLocal, krLocal});
    writeRecord(*destination, {"Breaking Wave height ", state.breakLimitHeight});
  }
}

bool reportHeightStatistics(CaseState& state, RunIo& io) {
  const HeightStatistics statistics = computeHeightStatistics(state);
  writeRecord(io.console, {"-    Hrms,            Hs,           H10,          H1  "});
  writeRecord(io.report, {"-    Hrms,            Hs,           H10,          H1"});
  writeHeightRow(io.console, "Offshore", statistics.offshore);
  writeHeightRow(io.report, "Offshore", statistics.offshore);
  writeHeightRow(io.console, "Local   ", statistics.local);
  writeRecord(io.console, {"Hnso =", state.hnso, state.deepHeight});
  writeHeightRow(io.report, "Local ", statistics.local);

  writeRecord(io.console, {"Enter 1 to continue or any other key to terminate"});
  readValue(io, state.continueAnswer);
  return state.continueAnswer == 1;
}
