#include <cmath>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "dialogue.hpp"
#include "record_match.hpp"
#include "run_binary.hpp"

namespace littoral {
namespace {

const std::string kPausePrompt = "Fortran Pause - Enter command<CR> or <CR> to continue.\n";

// Continue, an empty line at the first pause, the preset slope, 1.5 cm/s, an empty line.
const std::string kTransportAnswers = "1\n\n/\n1.5\n\n";

// The console output cut at the pause prompts.
std::vector<std::string> splitAtPauses(const std::string& console) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t at = console.find(kPausePrompt); at != std::string::npos;
       at = console.find(kPausePrompt, start)) {
    pieces.push_back(console.substr(start, at - start));
    start = at + kPausePrompt.size();
  }
  pieces.push_back(console.substr(start));
  return pieces;
}

double valueAt(const std::string& record, std::size_t fieldEnd) {
  return std::strtod(record.substr(fieldEnd - 15, 15).c_str(), nullptr);
}

double lastValue(const std::string& record) { return valueAt(record, record.size()); }

// The exposure stage's records for a storm of the given duration in seconds.
std::vector<Rec> exposureRecords(const char* duration) {
  std::vector<Rec> records = {{"---LONG SHORE TRANSPORT RATE---"}};
  for (int i = 1; i <= 4; ++i) {
    records.push_back({"--  HI  to  HJ -->  %Pr "});
    records.push_back({"##.##    ", {"#" + std::to_string(i), "*", duration, "*"}});
  }
  records.push_back({"", {"4.448703"}});
  return records;
}

std::vector<Rec> transportRecords(const char* rho) {
  std::vector<Rec> records = {{"slope of beach ="},
                              {"settling velocity for beach material (cm/s) ="},
                              {"Kpls, rho =", {"*", rho}}};
  for (int i = 1; i <= 4; ++i) {
    records.push_back({"", {"#" + std::to_string(i), "*", "*", "*", "*"}});
  }
  return concat(records, {{"****************"},
                          {"****************"},
                          {"Surf Current ft/sec or m/s =", {"*"}},
                          {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {"*"}}});
}

// Checks a whole run of a storm: the dialogue, both pauses, the report and the results, and
// the relations between the figures: the exposure is the share times 100 times the storm's
// fraction of a year, the class records repeat the exposures, and the storm total is the sum
// of the class rates (divided by 4.448703 in SI units).
void expectWholeRun(const RunOutcome& run, const std::vector<Rec>& storm,
                    const std::vector<Rec>& report, const char* rho, double totalDivisor) {
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.errors, "");
  const std::vector<std::string> pieces = splitAtPauses(run.console);
  ASSERT_EQ(pieces.size(), 3u);
  expectRecords(pieces[0], concat(storm, exposureRecords("18000.00")));
  expectRecords(pieces[1], transportRecords(rho));
  EXPECT_EQ(pieces[2], "");
  ASSERT_TRUE(run.report);
  expectRecords(*run.report, report);
  ASSERT_TRUE(run.results);
  expectRecords(*run.results, {{"MAXIMUM SURF CURRENT ft/sec or m/s = ", {"*"}},
                               {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {"*"}}});

  const std::vector<std::string> before = splitRecords(pieces[0]);
  const std::vector<std::string> after = splitRecords(pieces[1]);
  const std::vector<std::string> results = splitRecords(*run.results);
  if (before.size() < 10 || after.size() < 11 || results.size() < 2) return;
  double rateSum = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string& exposureLine = before[before.size() - 8 + 2 * i];
    const std::string& classLine = after[3 + i];
    const double exposure = valueAt(exposureLine, 1 + 9 + 12 + 15);
    const double share = lastValue(exposureLine);
    EXPECT_NEAR(exposure, share * 100 * 18000 / 31536000, 1e-6 * std::fabs(exposure));
    EXPECT_EQ(classLine.substr(13, 15), exposureLine.substr(22, 15));
    rateSum += valueAt(classLine, 13 + 15 + 15);
  }
  const double total = lastValue(after[10]);
  EXPECT_NEAR(total, rateSum / totalDivisor, 1e-5 * std::fabs(total));
  EXPECT_EQ(lastValue(after[9]), lastValue(results[0]));
  EXPECT_EQ(lastValue(after[10]), lastValue(results[1]));
}

TEST(TransportRun, WholeSiStorm) {
  const RunOutcome run = runLittoral(kSiStorm + kTransportAnswers);
  expectWholeRun(run, siStormConsole(), siStormReport(), "1000.000", 4.448703);
}

TEST(TransportRun, WholeUsStorm) {
  const RunOutcome run = runLittoral(kUsStorm + kTransportAnswers);
  expectWholeRun(run, usStormConsole(), usStormReport(), "1.940000", 1);
}

TEST(TransportRun, CommandAtAPauseIsRunAndThePromptRepeated) {
  const RunOutcome run = runLittoral(kSiStorm + "1\necho hello\n\n/\n1.5\n\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.console.find(kPausePrompt + "hello\n" + kPausePrompt + " slope of beach =\r\n"),
            std::string::npos)
      << run.console;
}

TEST(TransportRun, NullOrSlashAtTheSlopePromptKeepsThePresetSlope) {
  const RunOutcome typed = runLittoral(kSiStorm + "1\n\n0.005\n1.5\n\n");
  ASSERT_TRUE(typed.results);
  for (const char* answer : {",", "/", " ,", "3*"}) {
    const RunOutcome kept = runLittoral(kSiStorm + "1\n\n" + answer + "\n1.5\n\n");
    EXPECT_EQ(kept.results, typed.results) << answer;
  }
  const RunOutcome steeper = runLittoral(kSiStorm + "1\n\n0.05\n1.5\n\n");
  EXPECT_NE(steeper.results, typed.results);
}

TEST(TransportRun, LetterAtTheSettlingVelocityPromptLeavesTheResultsEmpty) {
  const RunOutcome stopped = runLittoral(kSiStorm + "2\n");
  const RunOutcome run = runLittoral(kSiStorm + "1\n\n/\nsand\n");
  EXPECT_EQ(run.errors, "forrtl: severe (64): input conversion error, unit -4, file CONIN$\n");
  EXPECT_NE(run.exitStatus, 0);
  EXPECT_EQ(run.results, "");
  EXPECT_EQ(run.report, stopped.report);  // complete up to the statistics
}

// The sign of the angle is the direction of the transport and the current: -30 degrees
// mirrors 30 degrees value for value, while -80 degrees, whose deep-water sine would pass -1,
// takes the replacement sine +0.99 and gives a positive transport and current.
TEST(TransportRun, SignOfTheAngleIsTheDirectionOfTransportAndCurrent) {
  auto resultValues = [](const char* angle) {
    const RunOutcome run = runLittoral("9.81\n10\n4\n50\n2\n20\n5\n1\n1\n3\n" + std::string(angle) +
                                       "\n" + kTransportAnswers);
    EXPECT_EQ(run.exitStatus, 0) << angle;
    std::vector<double> values;
    if (run.results) {
      for (const std::string& record : splitRecords(*run.results)) {
        values.push_back(lastValue(record));
      }
    }
    return values;
  };
  const std::vector<double> positive = resultValues("30");
  const std::vector<double> negative = resultValues("-30");
  const std::vector<double> beyond = resultValues("-80");
  ASSERT_EQ(positive.size(), 2u);
  ASSERT_EQ(negative.size(), 2u);
  ASSERT_EQ(beyond.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_GT(positive[i], 0);
    EXPECT_EQ(negative[i], -positive[i]);
    EXPECT_GT(beyond[i], 0);
  }
}

// RESULTS.out is opened by the transport stage only: a run that stops at the continue prompt,
// normally or with an error, leaves the file of an earlier run as it was.
TEST(TransportRun, RunStoppedAtTheContinuePromptLeavesAnEarlierResultsFile) {
  const std::string earlier = " LONG SHORE RATE FOR THIS STORM yd3 or m3 =    1.000000    \r\n";
  RunOptions options;
  options.prepare = [&earlier](const std::string& directory) {
    std::ofstream(directory + "/RESULTS.out", std::ios::binary) << earlier;
  };
  struct Stop {
    const char* answer;
    int exitStatus;
    const char* errors;
  };
  const Stop stops[] = {
      {"2", 0, ""},
      {"x", 1, "forrtl: severe (64): input conversion error, unit -4, file CONIN$\n"},
  };
  for (const Stop& stop : stops) {
    SCOPED_TRACE(stop.answer);
    const RunOutcome run = runLittoral(kSiStorm + stop.answer + "\n", options);
    EXPECT_EQ(run.exitStatus, stop.exitStatus);
    EXPECT_EQ(run.errors, stop.errors);
    EXPECT_EQ(run.results, earlier);
    ASSERT_TRUE(run.report);
    EXPECT_EQ(run.report->rfind(" REPORT\r\n", 0), 0u);
  }
}

// An answers file without the empty line for the first pause: the pause runs the slope and the
// settling velocity as commands, and the slope prompt then finds the end of the answers.
TEST(TransportRun, AnswersWithoutThePauseLineAreRunAsCommands) {
  const RunOutcome run = runLittoral(kSiStorm + "1\n/\n1.5\n\n");
  const std::vector<std::string> pieces = splitAtPauses(run.console);
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[1], "");
  EXPECT_EQ(pieces[2], "");
  EXPECT_EQ(pieces[3], " slope of beach =\r\n");
  const std::string endOfFile =
      "forrtl: severe (24): end-of-file during read, unit -4, file CONIN$\n";
  ASSERT_GE(run.errors.size(), endOfFile.size());
  EXPECT_EQ(run.errors.substr(run.errors.size() - endOfFile.size()), endOfFile);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.results, "");
}

}  // namespace

}  // namespace littoral
