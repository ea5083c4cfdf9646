#include "storm_sequence.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "records.hpp"
#include "stage_io.hpp"

namespace littoral {
namespace {

// The value a worked figure gives, to the digits it is given with.
void expectNear(float actual, double figure, double halfUnit) {
  EXPECT_NEAR(actual, figure, halfUnit) << actual;
}

TEST(SiteAndWindInputs, SiConversionsForTheSetupFormula) {
  StageIo stage("9.81\n10\n4\n50\n2\n20\n5\n1\n1\n");
  CaseState state;
  readSiteAndWindInputs(state, stage.shown, stage.dialogue);
  EXPECT_TRUE(state.siUnits);
  EXPECT_FALSE(state.usUnits);
  EXPECT_EQ(state.fetch, 50000.0f);
  expectNear(state.windMph, 44.728, 0.0005);  // 20 / 0.44715
  EXPECT_EQ(state.fetchMiles, 31.25f);        // a mile of 1600 m
  EXPECT_EQ(state.depthFeet, 32.8f);
  EXPECT_EQ(state.duration, 5.0f);  // still hours
}

TEST(SiteAndWindInputs, MenuAnswerIsTruncatedAndFactorsAreTheTabulatedSingles) {
  StageIo stage("9.81\n10\n2.7\n1000\n4\n36\n5\n1\n1\n");
  CaseState state;
  readSiteAndWindInputs(state, stage.shown, stage.dialogue);
  EXPECT_EQ(state.fetchFactor, 1.0f);  // 2.7 selects metres
  EXPECT_EQ(state.speedFactor, 0.2777778f);
  EXPECT_EQ(state.windSpeed, static_cast<float>(36.0 * double(0.2777778f)));
}

TEST(SiteAndWindInputs, NoUnitSystemLeavesTheFactorsAtZero) {
  StageIo stage("30\n10\n4\n50\n2\n20\n5\n1\n1\n");
  CaseState state;
  readSiteAndWindInputs(state, stage.shown, stage.dialogue);
  EXPECT_EQ(state.fetch, 0.0f);
  EXPECT_EQ(state.windSpeed, 0.0f);
  EXPECT_EQ(state.windMph, 0.0f);
  EXPECT_EQ(state.fetchMiles, 0.0f);
  EXPECT_EQ(state.depthFeet, 10.0f);
  EXPECT_EQ(state.rho, 0.0f);
}

CaseState usSetupCase() {
  CaseState state;
  state.usUnits = true;
  state.windSpeed = 50;
  state.windMph = 34.090908f;
  state.rt = 1.1f;
  state.rl = 1;
  state.fetchMiles = 10;
  state.depthFeet = 20;
  state.duration = 5;
  return state;
}

TEST(WindSetup, UsStormSetupAndAdjustedSpeed) {
  StageIo stage;
  CaseState state = usSetupCase();
  setUpWind(state, stage.shown, stage.dialogue);
  expectNear(state.ua, 74.560, 0.0005);
  EXPECT_EQ(state.duration, 18000.0f);
  const std::string report = stage.report.str();
  EXPECT_NE(report.find(" Setup in feet =   0.5022"), std::string::npos) << report;
  EXPECT_NE(report.find(" Setup in m =   0.1531"), std::string::npos) << report;
  EXPECT_NE(report.find(" Stress Ua =    74.5"), std::string::npos) << report;
}

TEST(WindSetup, NoUnitSystemGivesZeroSetupAndZeroSpeed) {
  StageIo stage;
  CaseState state;
  state.depthFeet = 10;
  state.windSpeed = 20;
  state.rt = state.rl = 1;
  setUpWind(state, stage.shown, stage.dialogue);
  EXPECT_EQ(state.ua, 0.0f);
  EXPECT_EQ(stage.console.str(),
            " Setup in feet =   0.0000000E+00\r\n Setup in m =   0.0000000E+00\r\n"
            " Ua =   0.0000000E+00\r\n");
}

TEST(WindSetup, ZeroDepthMakesTheSetupInfiniteOrNaN) {
  StageIo stage;
  CaseState state = usSetupCase();
  state.depthFeet = 0;
  setUpWind(state, stage.shown, stage.dialogue);
  EXPECT_EQ(stage.report.str().rfind(
                " Setup in feet =        Infinity\r\n Setup in m =        Infinity\r\n", 0),
            0u);
  StageIo still;
  CaseState calm;
  setUpWind(calm, still.shown, still.dialogue);
  EXPECT_EQ(still.report.str().rfind(" Setup in feet =             NaN\r\n", 0), 0u);
}

TEST(WindSetup, NegativeWindGivesNaNWithoutAnError) {
  StageIo stage;
  CaseState state = usSetupCase();
  state.windSpeed = -50;
  setUpWind(state, stage.shown, stage.dialogue);
  EXPECT_TRUE(std::isnan(state.ua));
  StageIo si;
  CaseState siState;
  siState.siUnits = true;
  siState.windSpeed = -20;
  siState.rt = siState.rl = 1;
  setUpWind(siState, si.shown, si.dialogue);
  EXPECT_TRUE(std::isnan(siState.ua));
}

CaseState siGrowthCase(float fetch, float durationSeconds) {
  CaseState state;
  state.siUnits = true;
  state.g = 9.81f;
  state.depth = 10;
  state.fetch = fetch;
  state.duration = durationSeconds;
  state.ua = 28.28299f;
  return state;
}

TEST(WaveGrowth, ZeroFetchGivesZeroWavesInOneFetchLimitedPass) {
  StageIo stage;
  CaseState state = siGrowthCase(0, 18000);
  growWaves(state, stage.shown, stage.dialogue);
  EXPECT_EQ(state.hs, 0.0f);
  EXPECT_EQ(state.ts, 0.0f);
  EXPECT_NE(stage.report.str().find(" Non-dimensional fetch FF  0.0000000E+00\r\n"),
            std::string::npos);
  EXPECT_NE(stage.console.str().find(" Fetch Limited  \r\n"), std::string::npos);
}

TEST(WaveGrowth, NegativeDurationEndsAfterOnePassAsFetchLimited) {
  StageIo stage;
  CaseState state = siGrowthCase(50000, -3600);
  growWaves(state, stage.shown, stage.dialogue);
  expectNear(state.hs, 2.1614, 0.00005);
  expectNear(state.ts, 5.5962, 0.00005);
  EXPECT_EQ(state.fetch, 50000.0f);
  EXPECT_NE(stage.console.str().find(" Fetch Limited  \r\n"), std::string::npos);
}

TEST(WaveGrowth, ShortStormShortensTheFetchByTwoPercentAPassInSingles) {
  StageIo stage;
  CaseState state = siGrowthCase(50000, 3600);
  growWaves(state, stage.shown, stage.dialogue);
  float expected = 50000;
  for (int pass = 2; pass <= 64; ++pass)
    expected = static_cast<float>(double(0.98f) * double(expected));
  EXPECT_EQ(state.fetch, expected);
  expectNear(state.fetch, 14002.75, 0.005);
}

}  // namespace

}  // namespace littoral
