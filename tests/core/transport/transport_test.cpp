#include "transport.hpp"

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "math_error.hpp"
#include "numerics.hpp"
#include "record_match.hpp"
#include "records.hpp"
#include "scratch_directory.hpp"
#include "stage_io.hpp"
#include "storm_sequence.hpp"

namespace littoral {
namespace {

// Bounds of 0.5, 1, 1.4142135, 1.7960511 and 2.3617365 times hnso = 2: a storm whose heights
// breaking did not limit.
CaseState stormClasses(float durationSeconds) {
  CaseState state;
  state.pi = computePi();
  state.hnso = 2;
  state.classHeight = {1, 2, 2.828427f, 3.592102f, 4.723473f};
  state.duration = durationSeconds;
  return state;
}

std::vector<Rec> exposureRecords(const std::vector<std::string>& exposures,
                                 const std::string& duration,
                                 const std::vector<std::string>& shares) {
  std::vector<Rec> records = {{"---LONG SHORE TRANSPORT RATE---"}};
  for (std::size_t i = 0; i < 4; ++i) {
    records.push_back({"--  HI  to  HJ -->  %Pr "});
    records.push_back(
        {"##.##    ", {"#" + std::to_string(i + 1), exposures[i], duration, shares[i]}});
  }
  return records;
}

TEST(ClassExposure, TenHourStorm) {
  StageIo stage;
  CaseState state = stormClasses(36000);
  exposeHeightClasses(state, stage.shown, stage.dialogue);
  expectRecords(stage.console.str(),
                exposureRecords({"~0.046909", "~0.026546", "~0.010915", "~0.0041031"}, "36000.00",
                                {"~0.41092", "~0.23254", "~0.095611", "~0.035943"}));
  EXPECT_EQ(stage.report.str(), "");
}

TEST(ClassExposure, EqualUpperBoundsGiveExactlyZeroExposure) {
  StageIo stage;
  CaseState state = stormClasses(36000);
  state.classHeight = {1, 2, 2.5f, 2.5f, 2.5f};
  exposeHeightClasses(state, stage.shown, stage.dialogue);
  EXPECT_GT(state.classExposure[0], 0.0f);
  EXPECT_GT(state.classExposure[1], 0.0f);
  EXPECT_EQ(state.classExposure[2], 0.0f);
  EXPECT_EQ(state.classExposure[3], 0.0f);
}

TEST(ClassExposure, OneYearStormExposureIsTheShareInPercent) {
  StageIo stage;
  CaseState state = stormClasses(31536000);
  exposeHeightClasses(state, stage.shown, stage.dialogue);
  const double shares[] = {0.41092, 0.23254, 0.095611, 0.035943};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(state.classExposure[i], shares[i] * 100, 0.0005) << i;
  }
}

TEST(ClassExposure, NaNRatioEndsTheRunBeforeTheClassRecords) {
  StageIo stage;
  CaseState state = stormClasses(36000);
  state.hnso = 0;
  state.classHeight = {0, 0, 0, 0, 0};
  EXPECT_THROW(exposeHeightClasses(state, stage.shown, stage.dialogue), MathError);
  EXPECT_EQ(stage.console.str(), " ---LONG SHORE TRANSPORT RATE---\r\n");
}

// The US example: g 32.2, depth 10 ft, aor 10 degrees, local angle 6 degrees, the preset slope
// and a settling velocity of 1.5 cm/s, with the exposures of the ten-hour storm.
CaseState transportExample(float aorRadians, float localAngleDegrees) {
  CaseState state = stormClasses(36000);
  StageIo exposure;
  exposeHeightClasses(state, exposure.shown, exposure.dialogue);
  state.g = 32.2f;
  state.usUnits = true;
  state.rho = 1.94f;
  state.depth = 10;
  state.aor = aorRadians;
  state.cosAor = toSingle(std::cos(double(aorRadians)));
  state.localAngleDegrees = localAngleDegrees;
  return state;
}

// What RESULTS.out holds once the stage has ended and closed it.
std::string results(StageIo& stage) {
  closeFiles(stage.io);
  std::ifstream file("RESULTS.out", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Pause, slope kept by a slash, settling velocity, pause.
const char* const kTransportAnswers = "\n/\n1.5\n\n";

const char* const kPausePrompt = "Fortran Pause - Enter command<CR> or <CR> to continue.\n";

// Class fluxes follow from the example's terms: hClass^2.5 x 18.4327 x 0.99618 x 0.34202.
TEST(Transport, UsExampleRatesTotalAndSurfCurrent) {
  ScratchDirectory directory;
  StageIo stage(kTransportAnswers);
  CaseState state = transportExample(0.17453293f, 6);
  computeLongshoreTransport(state, stage.shown, stage.dialogue);
  const std::string console = stage.console.str();
  const std::string pause = kPausePrompt;
  const std::size_t firstPause = console.find(pause);
  ASSERT_NE(firstPause, std::string::npos);
  expectRecords(console.substr(0, firstPause), {{"", {"4.448703"}}});
  const std::size_t afterPause = firstPause + pause.size();
  const std::size_t lastPause = console.rfind(pause);
  EXPECT_EQ(lastPause + pause.size(), console.size());
  expectRecords(console.substr(afterPause, lastPause - afterPause),
                {{"slope of beach ="},
                 {"settling velocity for beach material (cm/s) ="},
                 {"Kpls, rho =", {"~0.43937", "1.940000"}},
                 {"", {"#1", "~0.046909", "~52.551", "~1.41421", "~14.94"}},
                 {"", {"#2", "~0.026546", "~109.08", "~2.37841", "~54.79"}},
                 {"", {"#3", "~0.010915", "~93.253", "~3.18748", "~113.9"}},
                 {"", {"#4", "~0.0041031", "~66.552", "~4.11913", "~216.3"}},
                 {"****************"},
                 {"****************"},
                 {"Surf Current ft/sec or m/s =", {"~0.19984"}},
                 {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {"~321.44"}}});
  expectRecords(results(stage), {{"MAXIMUM SURF CURRENT ft/sec or m/s = ", {"~0.19984"}},
                                 {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {"~321.44"}}});
  EXPECT_EQ(state.beachSlope, 0.005f);
  expectRecords(layoutRecords({state.settlingVelocity}), {{"", {"~0.04921260"}}});
  EXPECT_EQ(stage.report.str(), "");
}

TEST(Transport, SiUnitsDivideOnlyTheStormTotal) {
  ScratchDirectory directory;
  StageIo stage(kTransportAnswers);
  CaseState state = transportExample(0.17453293f, 6);
  state.usUnits = false;
  state.siUnits = true;
  computeLongshoreTransport(state, stage.shown, stage.dialogue);
  EXPECT_NE(stage.console.str().find("   52.55"), std::string::npos);  // class 1 as summed
  expectRecords(results(stage), {{"MAXIMUM SURF CURRENT ft/sec or m/s = ", {"~0.19984"}},
                                 {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {"~72.255"}}});
  EXPECT_EQ(state.settlingVelocity, 0.015f);
}

TEST(Transport, AngleZeroGivesNoTransportAndNoCurrent) {
  ScratchDirectory directory;
  StageIo stage(kTransportAnswers);
  CaseState state = transportExample(0, 0);
  computeLongshoreTransport(state, stage.shown, stage.dialogue);
  // kpls reduces to 0.05 + 0.0014 sqrt(161) / 0.0492126.
  EXPECT_NE(stage.console.str().find(" Kpls, rho =  0.4109"), std::string::npos)
      << stage.console.str();
  expectRecords(results(stage),
                {{"MAXIMUM SURF CURRENT ft/sec or m/s = ", {"0.0000000E+00"}},
                 {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {"0.0000000E+00"}}});
}

TEST(Transport, OppositeAnglesGiveOppositeSigns) {
  ScratchDirectory directory;
  StageIo plus(kTransportAnswers);
  StageIo minus(kTransportAnswers);
  CaseState left = transportExample(0.17453293f, 6);
  CaseState right = transportExample(-0.17453293f, -6);
  computeLongshoreTransport(left, plus.shown, plus.dialogue);
  const std::vector<std::string> leftRecords = splitRecords(results(plus));
  computeLongshoreTransport(right, minus.shown, minus.dialogue);
  const std::vector<std::string> rightRecords = splitRecords(results(minus));
  ASSERT_EQ(leftRecords.size(), 2u);
  ASSERT_EQ(rightRecords.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto valueOf = [](const std::string& record) {
      return std::strtod(record.substr(record.size() - 15).c_str(), nullptr);
    };
    const double leftValue = valueOf(leftRecords[i]);
    const double rightValue = valueOf(rightRecords[i]);
    EXPECT_NE(leftValue, 0.0);
    EXPECT_EQ(leftValue, -rightValue) << i;
  }
  const std::string kpls = " Kpls, rho =  0.4393";
  EXPECT_NE(plus.console.str().find(kpls), std::string::npos);
  EXPECT_NE(minus.console.str().find(kpls), std::string::npos);
}

TEST(Transport, NoUnitSystemKeepsCentimetresAndTheUndividedTotal) {
  ScratchDirectory directory;
  StageIo stage(kTransportAnswers);
  CaseState state = transportExample(0.17453293f, 6);
  state.usUnits = false;
  computeLongshoreTransport(state, stage.shown, stage.dialogue);
  EXPECT_EQ(state.settlingVelocity, 1.5f);
  EXPECT_NE(results(stage).find(" LONG SHORE RATE FOR THIS STORM yd3 or m3 =    321.4"),
            std::string::npos);
}

TEST(Transport, ZeroSettlingVelocityMakesKplsInfinite) {
  ScratchDirectory directory;
  StageIo stage("\n/\n0\n\n");
  CaseState state = transportExample(0.17453293f, 6);
  computeLongshoreTransport(state, stage.shown, stage.dialogue);
  EXPECT_NE(stage.console.str().find(" Kpls, rho =       Infinity"), std::string::npos);
}

}  // namespace

}  // namespace littoral
