#include <gtest/gtest.h>

#include "record_match.hpp"
#include "run_binary.hpp"

namespace {

// The hindcast answers of the SI and US storms (fetch-limited, 5 hours), then local depth and
// angle.
const std::string kSiStorm = "9.81\n10\n4\n50\n2\n20\n5\n1\n1\n3\n30\n";
const std::string kUsStorm = "32.2\n20\n3\n10\n1\n50\n5\n1.1\n1\n8\n20\n";

std::vector<Rec> concat(std::vector<Rec> first, const std::vector<Rec>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

std::vector<Rec> inputDialogue(const char* unitLine, const char* density, bool si) {
  std::vector<Rec> records = {{"g ="},
                              {unitLine},
                              {"Density=", {density}},
                              {"Offshore Depth = ft or m"},
                              {"Enter Fetch Units:ft=1;m=2;miles=3;km=4;kml=5"},
                              {"Fetch = "},
                              {"Enter Speed Units:ft/sec=1;m/s=2;mph=3;km/h=4;knots=5"},
                              {"Speed = "}};
  if (si) records.push_back({"V mph = ", {"*"}});
  return concat(records,
                {{"Duration = hr "}, {"Rt stability factor = "}, {"RL sea/land factor = "}});
}

// The console from the hindcast's last line to the continue prompt. The deep-water length is
// g ts^2 / 2 pi and co = lo / ts, from the hindcast period.
std::vector<Rec> transformConsole(const char* lo, const char* co, const char* angle,
                                  const char* breaking, const std::vector<std::string>& offshore) {
  return {{"ks =", {"*"}},
          {"Deep wave length and celerity (Lo,Co) ", {lo, co}},
          {"Wave length and celerity (L1,C1)", {"*", "*"}},
          {"Approximate surf depth = ", {"*"}},
          {" "},
          {"Local depth d near surf zone = "},
          {"Alfa (degrees) = "},
          {"Alfa = ", {angle}},
          {"s1,co,c1,so", {"*", co, "*", "*"}},
          {"AOR =", {"*"}},
          {" DEEP WATER WAVE ANGLE =  ", {"*"}},
          {" Ks AND Kr = ", {"*", "*"}},
          {"Local angle = ", {"*"}},
          {"Local wave length and height ", {"*", "*"}},
          {"Local wave height and celerity ", {"*", "*"}},
          {"Group Ratio, Ks and Kr (Local) ", {"*", "*", "*"}},
          {"Breaking Wave height ", {breaking}},
          {"-    Hrms,            Hs,           H10,          H1  "},
          {"Offshore", offshore},
          {"Local   ", {"*", "*", "*", "*"}},
          {"Hnso =", {"*", "*"}},
          {"Enter 1 to continue or any other key to terminate"}};
}

std::vector<Rec> transformReport(const char* lo, const char* co, const char* localDepth,
                                 const char* angle, const char* breaking,
                                 const std::vector<std::string>& offshore) {
  return {{"Deep wave length and celerity (Lo,Co) ", {lo, co}},
          {"Wave length and celerity (L1,C1)", {"*", "*"}},
          {"Local depth d near surf zone = ", {localDepth}},
          {"Offshore Angle Alfa = ", {angle}},
          {" EFFECTIVE DEEP WATER WAVE ANGLE =  ", {"*"}},
          {" DEEP WATER WAVE HEIGHT = ", {"*"}},
          {"EFFECTIVE DEEP WATER WAVE HEIGHT = ", {"*"}},
          {"Local angle = ", {"*"}},
          {"Local wave length and height ", {"*", "*"}},
          {"Local wave height and celerity ", {"*", "*"}},
          {"Group Ratio, Ks and Kr (Local) ", {"*", "*", "*"}},
          {"Breaking Wave height ", {breaking}},
          {"-    Hrms,            Hs,           H10,          H1"},
          {"Offshore", offshore},
          {"Local ", {"*", "*", "*", "*"}}};
}

std::vector<Rec> hindcastReport(const char* unitLine, const std::vector<Rec>& results) {
  return concat({{"REPORT"},
                 {unitLine},
                 {"Density=", {"*"}},
                 {"Offshore Depth = ft or m ", {"*"}},
                 {"Fetch = ft or m ", {"*"}},
                 {"Speed = ft/sec or m/s ", {"*"}},
                 {"Duration = hr ", {"5.000000"}},
                 {"Rt stability factor = ", {"*"}},
                 {"RL sea/land factor = ", {"1.000000"}},
                 {"Setup in feet = ", {"*"}},
                 {"Setup in m = ", {"*"}},
                 {"Stress Ua = ", {"*"}},
                 {"Non-dimensional depth Fd", {"*"}},
                 {"Non-dimensional fetch FF", {"*"}},
                 {"Non-dimensional duration Ftd", {"*"}},
                 {"Fetch Limited  "},
                 {"Non-dimensional Wave Height FHs =", {"*"}},
                 {"Non-dimensional Period FTs =", {"*"}}},
                results);
}

// hs = 2.1614 and ts = 5.5962 from the hindcast: lo = 48.896, co = 8.7374, and the Offshore
// row hs / sqrt 2, hs, 1.27 hs, 1.67 hs. The local depth of 3 m limits breaking at 2.34 m.
TEST(TransformRun, SiDialogueToTheContinuePrompt) {
  const std::vector<std::string> offshore = {"~1.5284", "~2.1614", "~2.7450", "~3.610"};
  for (const char* answer : {"2", "0", "-1", "0.9"}) {
    SCOPED_TRACE(answer);
    const RunOutcome run = runLittoral(kSiStorm + answer + "\n");
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, "");
    expectRecords(run.console,
                  concat(concat(inputDialogue("SI Units", "1000.000", true),
                                {{"Setup in feet = ", {"*"}},
                                 {"Setup in m = ", {"*"}},
                                 {"Ua = ", {"*"}},
                                 {"Fd, FF, Ftd =", {"*", "*", "*"}},
                                 {"Fetch Limited  "},
                                 {"Hs and Ts ", {"~2.1614", "~5.5962"}}}),
                         transformConsole("~48.90", "~8.737", "30.00000", "2.340000", offshore)));
    ASSERT_TRUE(run.report);
    expectRecords(
        *run.report,
        hindcastReport("SI Units", concat({{"Significant Wave height Hs (ft or m) = ", {"~2.1614"}},
                                           {"Significant Wave Period Ts (s) = ", {"~5.5962"}}},
                                          transformReport("~48.90", "~8.737", "3.000000",
                                                          "30.00000", "2.340000", offshore))));
    EXPECT_FALSE(run.results);
  }
}

// hs = 3.7720 ft and ts = 3.8210 s: lo = 74.82 ft, co = 19.58 ft/s; 0.78 x 8 ft = 6.24 ft.
TEST(TransformRun, UsDialogueToTheContinuePrompt) {
  const std::vector<std::string> offshore = {"~2.6672", "~3.7720", "~4.790", "~6.299"};
  for (const char* answer : {"2", "0", "-1", "0.9"}) {
    SCOPED_TRACE(answer);
    const RunOutcome run = runLittoral(kUsStorm + answer + "\n");
    EXPECT_EQ(run.exitStatus, 0);
    expectRecords(run.console,
                  concat(concat(inputDialogue("US Units", "1.940000", false),
                                {{"Setup in feet = ", {"~0.50223"}},
                                 {"Setup in m = ", {"~0.15312"}},
                                 {"Ua = ", {"~74.560"}},
                                 {"Fd, FF, Ftd =", {"*", "*", "*"}},
                                 {"Fetch Limited  "},
                                 {"Hs and Ts ", {"~3.7720", "~3.8210"}}}),
                         transformConsole("~74.82", "~19.58", "20.00000", "6.240000", offshore)));
    ASSERT_TRUE(run.report);
    expectRecords(
        *run.report,
        hindcastReport("US Units", concat({{"Significant Wave height Hs (ft or m) = ", {"~3.7720"}},
                                           {"Significant Wave Period Ts (s) = ", {"~3.8210"}}},
                                          transformReport("~74.82", "~19.58", "8.000000",
                                                          "20.00000", "6.240000", offshore))));
    EXPECT_FALSE(run.results);
  }
}

TEST(TransformRun, AngleOfNinetyDegreesEndsAtTheRefractionSquareRoot) {
  const RunOutcome run = runLittoral("9.81\n10\n4\n50\n2\n20\n5\n1\n1\n3\n90\n1\n");
  EXPECT_EQ(run.errors, "math error 6201: sqrt: DOMAIN error\n");
  EXPECT_NE(run.exitStatus, 0);
  const std::vector<std::string> console = splitRecords(run.console);
  ASSERT_FALSE(console.empty());
  EXPECT_EQ(console.back().substr(0, 26), "  DEEP WATER WAVE ANGLE = ");
  ASSERT_TRUE(run.report);
  const std::vector<std::string> report = splitRecords(*run.report);
  EXPECT_EQ(report.back().substr(0, 36), "  EFFECTIVE DEEP WATER WAVE ANGLE = ");
  EXPECT_EQ(countRecords(*run.report, " DEEP WATER WAVE HEIGHT = "), 0);
  EXPECT_EQ(countRecords(run.console, " Ks AND Kr = "), 0);
}

TEST(TransformRun, LetterAtTheLocalDepthPromptEndsTheRun) {
  const RunOutcome run = runLittoral("9.81\n10\n4\n50\n2\n20\n5\n1\n1\nshallow\n");
  EXPECT_EQ(run.errors, "forrtl: severe (64): input conversion error, unit -4, file CONIN$\n");
  EXPECT_NE(run.exitStatus, 0);
  const std::vector<std::string> console = splitRecords(run.console);
  ASSERT_FALSE(console.empty());
  EXPECT_EQ(console.back(), " Local depth d near surf zone = ");
  ASSERT_TRUE(run.report);
  const std::vector<std::string> report = splitRecords(*run.report);
  ASSERT_EQ(report.size(), 22u);
  EXPECT_EQ(report.back().substr(0, 33), " Wave length and celerity (L1,C1)");
}

}  // namespace
