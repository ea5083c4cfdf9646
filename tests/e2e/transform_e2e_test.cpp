#include <gtest/gtest.h>

#include "dialogue.hpp"
#include "record_match.hpp"
#include "run_binary.hpp"

namespace littoral {
namespace {

// The SI and US storms from the first prompt to the continue prompt, with the hindcast figures
// of the worked examples; any answer but 1 ends the run there without a pause.
TEST(TransformRun, DialoguesToTheContinuePrompt) {
  struct Storm {
    const std::string& answers;
    std::vector<Rec> console;
    std::vector<Rec> report;
  };
  const Storm storms[] = {{kSiStorm, siStormConsole(), siStormReport()},
                          {kUsStorm, usStormConsole(), usStormReport()}};
  for (const Storm& storm : storms) {
    for (const char* answer : {"2", "0", "-1", "0.9"}) {
      SCOPED_TRACE(storm.answers + answer);
      const RunOutcome run = runLittoral(storm.answers + answer + "\n");
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(run.errors, "");
      expectRecords(run.console, storm.console);
      ASSERT_TRUE(run.report);
      expectRecords(*run.report, storm.report);
      EXPECT_FALSE(run.results);
    }
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

}  // namespace littoral
