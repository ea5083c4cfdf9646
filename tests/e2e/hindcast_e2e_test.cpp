#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include "dialogue.hpp"
#include "record_match.hpp"
#include "run_binary.hpp"

namespace littoral {
namespace {

// Answers: g, depth, fetch unit, fetch, speed unit, speed, duration, Rt, RL.
const char* const kSiOneHour = "9.81\n10\n4\n50\n2\n20\n1\n1\n1\n";
const char* const kUsFiveHours = "32.2\n20\n3\n10\n1\n50\n5\n1.1\n1\n";
const char* const kUsOneHour = "32.2\n20\n3\n10\n1\n50\n1\n1.1\n1\n";

const char* const kConversionError =
    "forrtl: severe (64): input conversion error, unit -4, file CONIN$\n";

TEST(HindcastRun, SiDurationLimitedStormShortensTheFetch64Times) {
  const RunOutcome run = runLittoral(kSiOneHour);
  ASSERT_TRUE(run.report);
  EXPECT_EQ(countRecords(run.console, "Fd, FF, Ftd ="), 64);
  EXPECT_EQ(countRecords(*run.report, "Non-dimensional depth Fd"), 64);
  EXPECT_EQ(countRecords(*run.report, "Non-dimensional fetch FF"), 64);
  EXPECT_EQ(countRecords(*run.report, "Non-dimensional duration Ftd"), 64);
  EXPECT_EQ(countRecords(run.console, "Fetch Limited"), 0);
  const std::vector<std::string> report = splitRecords(*run.report);
  // Title, eight echoes, two setup lines and ua come first; then the 64 groups of three.
  ASSERT_GE(report.size(), 12u + 192u + 5u);
  for (std::size_t pass = 0; pass < 64; ++pass) {
    const std::size_t at = 12 + 3 * pass;
    EXPECT_EQ(report[at].substr(0, 25), " Non-dimensional depth Fd") << pass;
    EXPECT_EQ(report[at + 1].substr(0, 25), " Non-dimensional fetch FF") << pass;
    EXPECT_EQ(report[at + 2].substr(0, 29), " Non-dimensional duration Ftd") << pass;
  }
  // FHs and FTs follow from hs and ts: g hs / ua^2 and g ts / ua with ua = 28.283.
  std::string afterLoop;
  for (std::size_t i = 12 + 192; i < 12 + 192 + 5; ++i) afterLoop += report[i] + "\r\n";
  expectRecords(afterLoop, {{"Duration Limited with Feff = ", {"~14002.75"}},
                            {"Non-dimensional Wave Height FHs =", {"~0.0182"}},
                            {"Non-dimensional Period FTs =", {"~1.430"}},
                            {"Significant Wave height Hs (ft or m) = ", {"~1.4880"}},
                            {"Significant Wave Period Ts (s) = ", {"~4.1241"}}});
}

// Fd, FF and Ftd of the US storm follow from ua = 74.560: 20 g / ua^2, 52800 g / ua^2 and
// 18000 g / ua.
TEST(HindcastRun, UsStormsFetchAndDurationLimited) {
  const std::vector<Rec> setup = {
      {"Setup in feet = ", {"~0.50223"}}, {"Setup in m = ", {"~0.15312"}}, {"Ua = ", {"~74.560"}}};
  const RunOutcome five = runLittoral(kUsFiveHours);
  expectLeadingRecords(five.console,
                       concat(concat(inputDialogue("US Units", "1.940000", {}), setup),
                              {{"Fd, FF, Ftd =", {"~0.1158", "~305.8", "~7774"}},
                               {"Fetch Limited  "},
                               {"Hs and Ts ", {"~3.7720", "~3.8210"}}}));
  const RunOutcome one = runLittoral(kUsOneHour);
  EXPECT_EQ(countRecords(one.console, "Fd, FF, Ftd ="), 11);
  ASSERT_TRUE(one.report);
  EXPECT_EQ(countRecords(*one.report, "Non-dimensional fetch FF"), 11);
  const std::vector<std::string> console = splitRecords(one.console);
  ASSERT_GE(console.size(), 11u + 3u + 11u + 2u);
  expectRecords(
      console[25] + "\r\n" + console[26] + "\r\n",
      {{"Duration Limited with Feff = ", {"~43141.45"}}, {"Hs and Ts ", {"~3.5451", "~3.6357"}}});
}

TEST(HindcastRun, UsEchoesConvertTheTypedUnits) {
  // 20 m/s in US units is 65.6 ft/s; no "V mph = " line in US units.
  const RunOutcome run = runLittoral("32.2\n20\n3\n10\n2\n20\n5\n1\n1\n");
  ASSERT_TRUE(run.report);
  expectLeadingRecords(*run.report, {{"REPORT"},
                                     {"US Units"},
                                     {"Density=", {"1.940000"}},
                                     {"Offshore Depth = ft or m ", {"20.00000"}},
                                     {"Fetch = ft or m ", {"52800.00"}},
                                     {"Speed = ft/sec or m/s ", {"65.60000"}}});
  EXPECT_EQ(countRecords(run.console, "V mph = "), 0);
}

TEST(HindcastRun, SiFetchUnitsMilesAndKilometres) {
  const RunOutcome miles = runLittoral("9.81\n10\n3\n1\n2\n20\n5\n1\n1\n");
  ASSERT_TRUE(miles.report);
  EXPECT_EQ(splitRecords(*miles.report)[4], " Fetch = ft or m    1609.756    ");
  const RunOutcome km = runLittoral("9.81\n10\n4\n10\n2\n20\n5\n1\n1\n");
  ASSERT_TRUE(km.report);
  EXPECT_EQ(splitRecords(*km.report)[4], " Fetch = ft or m    10000.00    ");
}

TEST(HindcastRun, UnitAnswersOutsideTheMenuLeaveZeroFactors) {
  for (const char* answer : {"6", "0", "-1"}) {
    const RunOutcome run =
        runLittoral(std::string("9.81\n10\n") + answer + "\n50\n" + answer + "\n20\n5\n1\n1\n");
    ASSERT_TRUE(run.report);
    const std::vector<std::string> report = splitRecords(*run.report);
    EXPECT_EQ(report[4], " Fetch = ft or m   0.0000000E+00") << answer;
    EXPECT_EQ(report[5], " Speed = ft/sec or m/s   0.0000000E+00") << answer;
  }
}

TEST(HindcastRun, GravityOfExactlyThirtyChoosesNoUnits) {
  const RunOutcome run = runLittoral("30\n10\n4\n50\n2\n20\n5\n1\n1\n");
  expectRecords(run.console,
                concat(inputDialogue(nullptr, "0.0000000E+00", {"V mph = ", {"0.0000000E+00"}}),
                       {{"Setup in feet = ", {"0.0000000E+00"}},
                        {"Setup in m = ", {"0.0000000E+00"}},
                        {"Ua = ", {"0.0000000E+00"}},
                        {"Fd, FF, Ftd =", {"Infinity", "NaN", "Infinity"}}}));
  EXPECT_EQ(run.errors, "math error 6201: sqrt: DOMAIN error\n");
  EXPECT_NE(run.exitStatus, 0);
  ASSERT_TRUE(run.report);
  expectRecords(*run.report, {{"REPORT"},
                              {"Density=", {"0.0000000E+00"}},
                              {"Offshore Depth = ft or m ", {"10.00000"}},
                              {"Fetch = ft or m ", {"0.0000000E+00"}},
                              {"Speed = ft/sec or m/s ", {"0.0000000E+00"}},
                              {"Duration = hr ", {"5.000000"}},
                              {"Rt stability factor = ", {"1.000000"}},
                              {"RL sea/land factor = ", {"1.000000"}},
                              {"Setup in feet = ", {"0.0000000E+00"}},
                              {"Setup in m = ", {"0.0000000E+00"}},
                              {"Stress Ua = ", {"0.0000000E+00"}},
                              {"Non-dimensional depth Fd", {"Infinity"}},
                              {"Non-dimensional fetch FF", {"NaN"}},
                              {"Non-dimensional duration Ftd", {"Infinity"}}});
}

TEST(HindcastRun, NegativeWindGivesNaNThenTheSquareRootError) {
  const RunOutcome run = runLittoral("9.81\n10\n4\n50\n2\n-20\n5\n1\n1\n");
  const std::vector<std::string> console = splitRecords(run.console);
  ASSERT_GE(console.size(), 2u);
  EXPECT_EQ(console[console.size() - 2], " Ua =             NaN");
  EXPECT_EQ(console.back(), " Fd, FF, Ftd =            NaN            NaN            NaN");
  EXPECT_EQ(run.errors, "math error 6201: sqrt: DOMAIN error\n");
  EXPECT_NE(run.exitStatus, 0);
  ASSERT_TRUE(run.report);
  const std::vector<std::string> report = splitRecords(*run.report);
  ASSERT_EQ(report.size(), 15u);
  EXPECT_EQ(report[11], " Stress Ua =             NaN");
}

// Fd, FF and Ftd follow from ua = 1.6654: 300 g / ua^2, 50000 g / ua^2 and 18000 g / ua.
TEST(HindcastRun, DeepWaterWithALightWindEndsAtTheExponential) {
  const RunOutcome run = runLittoral("9.81\n300\n4\n50\n2\n2\n5\n1\n1\n");
  const std::vector<std::string> console = splitRecords(run.console);
  ASSERT_GE(console.size(), 2u);
  expectRecords(console[console.size() - 2] + "\r\n" + console.back() + "\r\n",
                {{"Ua = ", {"~1.6654"}}, {"Fd, FF, Ftd =", {"~1061", "~1.77E+05", "~1.06E+05"}}});
  EXPECT_EQ(run.errors, "math error 6201: exp: DOMAIN error\n");
  EXPECT_NE(run.exitStatus, 0);
  ASSERT_TRUE(run.report);
  EXPECT_EQ(splitRecords(*run.report).size(), 15u);
  EXPECT_EQ(countRecords(*run.report, "Fetch Limited"), 0);
}

TEST(HindcastRun, ZeroDepthGivesNaNResultsReportedAsFetchLimited) {
  const std::string nan = "            NaN";
  const RunOutcome run = runLittoral("9.81\n0\n4\n50\n2\n20\n5\n1\n1\n");
  EXPECT_EQ(countRecords(run.console, "Fd, FF, Ftd ="), 1);
  EXPECT_EQ(countRecords(run.console, "Fetch Limited  "), 1);
  EXPECT_EQ(countRecords(run.console, "Hs and Ts " + nan + nan), 1);
  ASSERT_TRUE(run.report);
  EXPECT_EQ(countRecords(*run.report, "Setup in feet =        Infinity"), 1);
  EXPECT_EQ(countRecords(*run.report, "Non-dimensional Wave Height FHs =" + nan), 1);
  EXPECT_EQ(countRecords(*run.report, "Significant Wave height Hs (ft or m) = " + nan), 1);
}

TEST(HindcastRun, ZeroDurationLoopEndsWhenTheFetchStopsShrinking) {
  // With 10 m/s the period never reaches zero; in single precision 50000 m shrunk by 0.98
  // a pass stops changing at pass 5485, at 3.5032462E-44 m.
  const RunOutcome run = runLittoral("9.81\n10\n4\n50\n2\n10\n0\n1\n1\n");
  EXPECT_EQ(countRecords(run.console, "Fd, FF, Ftd ="), 5485);
  ASSERT_TRUE(run.report);
  EXPECT_EQ(countRecords(*run.report, "Non-dimensional depth Fd"), 5485);
  EXPECT_EQ(countRecords(run.console, "Duration Limited with Feff =   3.5032462E-44"), 1);
}

// With 20 m/s the period reaches zero as the fetch shrinks, after about 5470 passes: a wave of
// zero height and period, whose celerities are NaN, so that the refraction's square root ends
// the run once the angle is given.
TEST(HindcastRun, ZeroDurationWithAStrongWindEndsAtTheRefraction) {
  const RunOutcome run = runLittoral("9.81\n10\n4\n50\n2\n20\n0\n1\n1\n3\n30\n1\n");
  EXPECT_EQ(run.errors, "math error 6201: sqrt: DOMAIN error\n");
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_NEAR(countRecords(run.console, "Fd, FF, Ftd ="), 5470, 30);
  EXPECT_EQ(countRecords(run.console, "Hs and Ts   0.0000000E+00  0.0000000E+00"), 1);
  const std::vector<std::string> console = splitRecords(run.console);
  ASSERT_FALSE(console.empty());
  EXPECT_EQ(console.back().substr(0, 12), " s1,co,c1,so");
  EXPECT_NE(console.back().find("NaN"), std::string::npos);
}

TEST(HindcastRun, LetterAtTheFirstPromptEndsTheRun) {
  const RunOutcome run = runLittoral("x\n");
  EXPECT_EQ(run.console, " g =\r\n");
  EXPECT_EQ(run.errors, kConversionError);
  EXPECT_NE(run.exitStatus, 0);
  EXPECT_EQ(run.report, " REPORT\r\n");
  EXPECT_FALSE(run.results);
}

TEST(HindcastRun, ListSyntaxAndEndOfInputErrors) {
  const RunOutcome syntax = runLittoral("(1,2)\n");
  EXPECT_EQ(syntax.errors,
            "forrtl: severe (59): list-directed I/O syntax error, unit -4, file CONIN$\n");
  EXPECT_NE(syntax.exitStatus, 0);
  const RunOutcome empty = runLittoral("");
  EXPECT_EQ(empty.errors, "forrtl: severe (24): end-of-file during read, unit -4, file CONIN$\n");
  EXPECT_NE(empty.exitStatus, 0);
  EXPECT_EQ(empty.report, " REPORT\r\n");
}

TEST(HindcastRun, ReportThatCannotBeCreatedIsAnOpenFailure) {
  RunOptions options;
  options.prepare = [](const std::string& directory) {
    std::filesystem::create_directory(directory + "/Output.out");
  };
  const RunOutcome run = runLittoral(kSiStorm, options);
  EXPECT_EQ(run.errors, "forrtl: severe (30): open failure, unit 41, file Output.out\n");
  EXPECT_EQ(run.console, "");
  EXPECT_NE(run.exitStatus, 0);
}

TEST(HindcastRun, ConsoleEventsAtAPromptEndTheRunAndLoseNoRecord) {
  for (const ConsoleEvent& event : kEvents) {
    RunOptions options;
    options.after = "Enter Fetch Units";
    options.signal = event.signal;
    const RunOutcome run = runLittoral("9.81\n10\n", options);
    EXPECT_EQ(run.errors, event.message);
    EXPECT_EQ(run.exitStatus, event.exitStatus);
    ASSERT_TRUE(run.report);
    expectRecords(*run.report, {{"REPORT"},
                                {"SI Units"},
                                {"Density=", {"1000.000"}},
                                {"Offshore Depth = ft or m ", {"10.00000"}}});
  }
}

}  // namespace

}  // namespace littoral
