#include "transform.hpp"

#include <string>

#include <gtest/gtest.h>

#include "math_error.hpp"
#include "numerics.hpp"
#include "records.hpp"
#include "stage_io.hpp"
#include "storm_sequence.hpp"

namespace littoral {
namespace {

// A value as the report shows it, without its blanks.
std::string shown(float value) {
  const std::string field = formatReal(value);
  const std::size_t first = field.find_first_not_of(' ');
  const std::size_t last = field.find_last_not_of(' ');
  return field.substr(first, last - first + 1);
}

// A wave as the hindcast leaves it, before the first use of the wave length iteration.
CaseState hindcastWave(float g, float ts, float offshoreDepth, float hs) {
  CaseState state;
  state.pi = computePi();
  state.g = g;
  state.ts = ts;
  state.depth = offshoreDepth;
  state.hs = hs;
  return state;
}

// Runs the transformation from the offshore iteration through the local wave, answering the
// local depth and angle prompts.
void transformWave(CaseState& state, StageIo& stage) {
  refractToDeepWater(state, stage.shown, stage.dialogue);
  shoalToLocalDepth(state, stage.shown, stage.dialogue);
}

TEST(WaveLength, SiOffshoreAndLocalDepths) {
  CaseState state = hindcastWave(9.81f, 8, 10, 2);
  computeOffshoreWaveLength(state);
  EXPECT_EQ(shown(state.lo), "99.92384");
  EXPECT_EQ(shown(state.l1), "70.89835");
  EXPECT_EQ(shown(state.co), "12.49048");
  EXPECT_EQ(shown(state.ks), "0.9326664");
  EXPECT_EQ(shown(state.breakLimitHeight), "7.800000");
  state.depth = 3;
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
  computeLocalWaveLength(state);
  EXPECT_EQ(shown(state.localLength), "42.03145");
  EXPECT_EQ(shown(state.localCelerity), "5.253932");
  EXPECT_EQ(shown(state.groupRatio), "0.9387593");
  EXPECT_EQ(shown(state.ksLocal), "1.125266");
  EXPECT_EQ(shown(state.breakLimitHeight), "2.340000");
}

// A storm's record starts its local run where its offshore run ended: nothing of that run may
// be left.
TEST(WaveLength, AStartedRunKeepsNothingOfTheRunBefore) {
  WaveLengthRun run{.waveLength = 7.5f,
                    .localUse = false,
                    .passes = 30,
                    .lengthTerm = 2.5,
                    .tanhKd = 0.25,
                    .twoKd = 1.5f,
                    .sinhTwoKd = 3.5};
  startWaveLengthRun(run, 4.0f, true);
  EXPECT_EQ(run, (WaveLengthRun{.waveLength = 4.0f, .localUse = true}));
}

TEST(WaveLength, UsOffshoreDepth) {
  CaseState state = hindcastWave(32.2f, 10, 30, 6);
  computeOffshoreWaveLength(state);
  EXPECT_EQ(shown(state.lo), "512.4789");
  EXPECT_EQ(shown(state.l1), "291.6739");
  EXPECT_EQ(shown(state.ks), "0.9969835");
  EXPECT_EQ(shown(state.breakLimitHeight), "23.40000");
}

TEST(WaveLength, DeepWaterHoldsKdAtTwoPiAndTheSteepnessLimitApplies) {
  CaseState state = hindcastWave(9.81f, 8, 200, 2);
  computeOffshoreWaveLength(state);
  EXPECT_EQ(shown(state.l1), "99.92315");
  EXPECT_EQ(shown(state.ks), "0.9999596");
  EXPECT_EQ(shown(state.breakLimitHeight), "13.98924");
}

TEST(WaveLength, ZeroDepthEndsAtTheShoalingSquareRoot) {
  CaseState state = hindcastWave(9.81f, 8, 0, 2);
  try {
    computeOffshoreWaveLength(state);
    FAIL() << "no math error";
  } catch (const MathError& error) {
    EXPECT_EQ(error.message, "math error 6201: sqrt: DOMAIN error");
  }
}

TEST(OffshoreWave, SiRefractionToDeepWater) {
  StageIo stage("3\n30\n");
  CaseState state = hindcastWave(9.81f, 8, 10, 2);
  refractToDeepWater(state, stage.shown, stage.dialogue);
  EXPECT_EQ(state.hs, 2.0f);
  EXPECT_EQ(shown(state.so), "0.7046979");
  EXPECT_EQ(shown(state.aor), "0.7819973");
  EXPECT_EQ(shown(state.kr), "0.9051346");
  EXPECT_EQ(shown(state.deepHeight), "2.369139");
  EXPECT_EQ(state.depth, 3.0f);
  const std::string console = stage.console.str();
  EXPECT_NE(console.find(" Approximate surf depth =    2.749217    \r\n"), std::string::npos);
  EXPECT_NE(console.find(" s1,co,c1,so  0.5000000       12.49048       8.862294      0.7046979"
                         "    \r\n"),
            std::string::npos);
  EXPECT_NE(console.find("  DEEP WATER WAVE ANGLE =     44.80514    \r\n"), std::string::npos);
  EXPECT_TRUE(stage.shown.storm.warnings.none());  // 3 m is just beyond the surf depth
}

TEST(OffshoreWave, UsRefractionToDeepWater) {
  StageIo stage("8\n20\n");
  CaseState state = hindcastWave(32.2f, 10, 30, 6);
  refractToDeepWater(state, stage.shown, stage.dialogue);
  EXPECT_EQ(shown(state.co), "51.24789");
  EXPECT_EQ(shown(state.c1), "29.16739");
  EXPECT_EQ(shown(state.so), "0.6009387");
  EXPECT_EQ(shown(state.kr), "0.9222755");
  EXPECT_EQ(shown(state.deepHeight), "6.525332");
  EXPECT_NE(stage.report.str().find(" EFFECTIVE DEEP WATER WAVE ANGLE =     36.93715    \r\n"),
            std::string::npos);
}

TEST(OffshoreWave, ShallowOffshoreDepthCapsHsAndClampsTheSine) {
  StageIo stage("3\n30\n");
  CaseState state = hindcastWave(9.81f, 8, 1, 2);
  refractToDeepWater(state, stage.shown, stage.dialogue);
  EXPECT_EQ(shown(state.hs), "0.7800000");
  EXPECT_EQ(state.offshoreBreakLimit, state.hs);
  EXPECT_EQ(state.so, 0.99f);
  EXPECT_EQ(shown(state.kr), "0.4035969");
  const std::string console = stage.console.str();
  EXPECT_NE(console.find(" Approximate surf depth =   0.6970957    \r\n"), std::string::npos);
  EXPECT_NE(console.find("  DEEP WATER WAVE ANGLE =     81.89039    \r\n"), std::string::npos);
  // hs / ks before refraction is 0.5437346.
  EXPECT_EQ(shown(toSingle(double(state.deepHeight) * double(state.kr))), "0.5437346");
  const StormValues& values = stage.shown.storm;
  EXPECT_TRUE(values.warned(Warning::breakingCapped));
  EXPECT_TRUE(values.warned(Warning::angleClamped));
  EXPECT_TRUE(values.warned(Warning::localDeeperThanOffshore));
  EXPECT_FALSE(values.warned(Warning::insideSurfZone));
}

TEST(OffshoreWave, AnglesZeroAndNegative) {
  struct AngleCase {
    const char* answers;
    const char* so;
    const char* aorDegrees;
    const char* kr;
  };
  const AngleCase cases[] = {
      {"3\n0\n", "0.0000000E+00", "0.0000000E+00", "1.000000"},
      {"3\n-30\n", "-0.7046979", "-44.80514", "0.9051346"},
      {"3\n-60\n", "0.9900000", "81.89039", "0.5311635"},
  };
  for (const AngleCase& c : cases) {
    StageIo stage(c.answers);
    CaseState state = hindcastWave(9.81f, 8, 10, 2);
    refractToDeepWater(state, stage.shown, stage.dialogue);
    EXPECT_EQ(shown(state.so), c.so) << c.answers;
    EXPECT_EQ(shown(toSingle(double(state.aor) * 180 / double(state.pi))), c.aorDegrees);
    EXPECT_EQ(shown(state.kr), c.kr) << c.answers;
  }
}

TEST(OffshoreWave, AngleOfNinetyDegreesEndsAfterTheDeepWaterAngle) {
  StageIo stage("3\n90\n");
  CaseState state = hindcastWave(9.81f, 8, 10, 2);
  EXPECT_THROW(refractToDeepWater(state, stage.shown, stage.dialogue), MathError);
  const std::string report = stage.report.str();
  EXPECT_NE(report.find(" EFFECTIVE DEEP WATER WAVE ANGLE =  "), std::string::npos);
  EXPECT_EQ(report.find("DEEP WATER WAVE HEIGHT"), std::string::npos);
  EXPECT_EQ(stage.console.str().find("Ks AND Kr"), std::string::npos);
}

TEST(LocalWave, SiLocalAngleAndHeight) {
  StageIo stage("3\n30\n");
  CaseState state = hindcastWave(9.81f, 8, 10, 2);
  transformWave(state, stage);
  EXPECT_EQ(shown(state.localAngleDegrees), "17.24274");
  EXPECT_EQ(shown(state.localHeight), "2.297786");
  const std::string report = stage.report.str();
  EXPECT_NE(report.find(" Local angle =    17.24274    \r\n"), std::string::npos);
  EXPECT_NE(report.find(" Group Ratio, Ks and Kr (Local)   0.9387593       1.125266      "
                        "0.8619136    \r\n Breaking Wave height    2.340000    \r\n"),
            std::string::npos);
}

TEST(LocalWave, UsHeightAboveTheBreakingHeightIsShownUnchanged) {
  StageIo stage("8\n20\n");
  CaseState state = hindcastWave(32.2f, 10, 30, 6);
  transformWave(state, stage);
  EXPECT_EQ(shown(state.localAngleDegrees), "10.66825");
  EXPECT_EQ(shown(state.ksLocal), "1.295065");
  EXPECT_EQ(shown(state.localHeight), "7.621382");
  EXPECT_EQ(shown(state.breakLimitHeight), "6.240000");
  const std::string console = stage.console.str();
  EXPECT_NE(console.find(" Local wave height and celerity    7.621382    "), std::string::npos);
  EXPECT_NE(console.find("      0.9018611    \r\n"), std::string::npos);  // krLocal
}

TEST(LocalWave, AngleZeroAndOppositeAngles) {
  StageIo zero("3\n0\n");
  CaseState straight = hindcastWave(9.81f, 8, 10, 2);
  transformWave(straight, zero);
  EXPECT_EQ(straight.localAngleDegrees, 0.0f);
  EXPECT_EQ(shown(straight.localHeight), "2.413009");

  StageIo plus("3\n25\n");
  StageIo minus("3\n-25\n");
  CaseState left = hindcastWave(9.81f, 8, 10, 2);
  CaseState right = hindcastWave(9.81f, 8, 10, 2);
  transformWave(left, plus);
  transformWave(right, minus);
  EXPECT_EQ(left.localAngleDegrees, -right.localAngleDegrees);
  EXPECT_EQ(left.localHeight, right.localHeight);
}

// The statistics of a prepared state, answering the continue prompt.
struct StatisticsRun {
  bool goOn;
  std::string console;
  std::string report;
};

StatisticsRun runStatistics(CaseState& state, const std::string& answer) {
  StageIo stage(answer);
  const bool goOn = describeWaveHeights(state, stage.shown, stage.dialogue);
  return {goOn, stage.console.str(), stage.report.str()};
}

CaseState statisticsCase(float hs, float localHeight, float offshoreBreakLimit,
                         float breakLimitHeight) {
  CaseState state;
  state.hs = hs;
  state.localHeight = localHeight;
  state.offshoreBreakLimit = offshoreBreakLimit;
  state.breakLimitHeight = breakLimitHeight;
  state.ks = state.kr = 1;
  state.deepHeight = hs;
  return state;
}

TEST(HeightStatistics, RowsWithTheirLimits) {
  struct RowCase {
    CaseState state;
    const char* offshoreRow;
    const char* localRow;
  };
  const RowCase cases[] = {
      {statisticsCase(1, 1, 2, 5),
       " Offshore  0.7071068       1.000000       1.270000       1.670000    ",
       " Local   0.7071068       1.000000       1.270000       1.670000    "},
      {statisticsCase(1, 1.2f, 2, 1),
       " Offshore  0.7071068       1.000000       1.270000       1.670000    ",
       " Local   0.8485282       1.000000       1.000000       1.000000    "},
      // The local height is first lowered to the offshore limit 1.5, then the ratios are formed.
      {statisticsCase(1, 3, 1.5f, 1.2f),
       " Offshore  0.7071068       1.000000       1.270000       1.500000    ",
       " Local    1.060660       1.200000       1.200000       1.200000    "},
  };
  for (const RowCase& c : cases) {
    CaseState state = c.state;
    const StatisticsRun run = runStatistics(state, "2\n");
    EXPECT_NE(run.report.find(std::string(c.offshoreRow) + "\r\n"), std::string::npos)
        << run.report;
    EXPECT_NE(run.report.find(std::string(c.localRow) + "\r\n"), std::string::npos) << run.report;
  }
}

TEST(HeightStatistics, HsAtTheOffshoreLimitMakesTheUpperBoundsEqual) {
  CaseState state = statisticsCase(2.34f, 2, 2.34f, 5);
  const StatisticsRun run = runStatistics(state, "2\n");
  EXPECT_NE(run.report.find(" Offshore   1.654630       2.340000       2.340000       2.340000"),
            std::string::npos);
  EXPECT_EQ(state.classHeight[2], state.classHeight[3]);
  EXPECT_EQ(state.classHeight[3], state.classHeight[4]);
}

TEST(HeightStatistics, SiRunRowsClassesAndHnso) {
  StageIo stage("3\n30\n");
  CaseState state = hindcastWave(9.81f, 8, 10, 2);
  transformWave(state, stage);
  const StatisticsRun run = runStatistics(state, "1\n");
  EXPECT_TRUE(run.goOn);
  EXPECT_EQ(run.console,
            " -    Hrms,            Hs,           H10,          H1  \r\n"
            " Offshore   1.414214       2.000000       2.540000       3.340000    \r\n"
            " Local      1.624780       2.297786       2.340000       2.340000    \r\n"
            " Hnso =   1.675234       2.369139    \r\n"
            " Enter 1 to continue or any other key to terminate\r\n");
  EXPECT_EQ(run.report,
            " -    Hrms,            Hs,           H10,          H1\r\n"
            " Offshore   1.414214       2.000000       2.540000       3.340000    \r\n"
            " Local    1.624780       2.297786       2.340000       2.340000    \r\n");
  const char* const bounds[] = {"0.8376170", "1.675234", "2.369139", "3.008806", "3.956461"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(shown(state.classHeight[i]), bounds[i]) << i;
}

TEST(HeightStatistics, UsRunLimitsTheLocalRow) {
  StageIo stage("8\n20\n");
  CaseState state = hindcastWave(32.2f, 10, 30, 6);
  transformWave(state, stage);
  const StatisticsRun run = runStatistics(state, "2\n");
  EXPECT_FALSE(run.goOn);
  EXPECT_NE(run.report.find(" Offshore   4.242641       6.000000       7.620000       10.02000"),
            std::string::npos);
  EXPECT_NE(run.report.find(" Local    5.389131       6.240000       6.240000       6.240000"),
            std::string::npos);
  const char* const bounds[] = {"2.307053", "4.614107", "6.525332", "8.287171", "10.89730"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(shown(state.classHeight[i]), bounds[i]) << i;
  EXPECT_EQ(shown(state.hnso), "4.614107");
}

TEST(HeightStatistics, ShallowOffshoreDepthLimitsBothRows) {
  StageIo stage("2.5\n0\n");
  CaseState state = hindcastWave(9.81f, 8, 3, 3);
  refractToDeepWater(state, stage.shown, stage.dialogue);
  shoalToLocalDepth(state, stage.shown, stage.dialogue);
  EXPECT_EQ(shown(state.localHeight), "2.429627");
  EXPECT_EQ(shown(state.ks), "1.125266");
  EXPECT_EQ(state.kr, 1.0f);
  const StatisticsRun run = runStatistics(state, "0\n");
  EXPECT_NE(run.report.find(" Offshore   1.654630       2.340000       2.340000       2.340000"),
            std::string::npos);
  EXPECT_NE(run.report.find(" Local    1.654630       1.950000       1.950000       1.950000"),
            std::string::npos);
  const char* const bounds[] = {"0.7352171", "1.470434", "2.079508", "2.079508", "2.079508"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(shown(state.classHeight[i]), bounds[i]) << i;
}

TEST(HeightStatistics, OnlyAnAnswerOfOneGoesOn) {
  const std::pair<const char*, bool> answers[] = {{"1\n", true},  {"1.5\n", true}, {"0\n", false},
                                                  {"2\n", false}, {"-1\n", false}, {"0.9\n", false},
                                                  {"/\n", false}, {",\n", false}};
  for (const auto& [answer, goOn] : answers) {
    CaseState state = statisticsCase(1, 1, 2, 2);
    EXPECT_EQ(runStatistics(state, answer).goOn, goOn) << answer;
  }
}

}  // namespace

}  // namespace littoral
