#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console_input.hpp"
#include "driver.hpp"
#include "pause.hpp"
#include "records.hpp"
#include "run_errors.hpp"
#include "scratch_directory.hpp"

namespace littoral {
namespace {

std::vector<std::string> commandsRun;

void recordCommand(const std::string& command) { commandsRun.push_back(command); }

// The console of one in-process run or pause, on string streams.
struct FakeConsole {
  explicit FakeConsole(const std::string& answers) : input(answers) {
    bindConsole(io, input, output, errors);
    io.runCommand = recordCommand;
    commandsRun.clear();
  }
  std::istringstream input;
  std::ostringstream output;
  std::ostringstream errors;
  RunIo io;
};

const char* const kPrompt = "Fortran Pause - Enter command<CR> or <CR> to continue.\n";

TEST(Pause, EmptyLineContinuesAtOnce) {
  FakeConsole console("\nnext\n");
  pause(console.io);
  EXPECT_EQ(console.output.str(), kPrompt);
  EXPECT_TRUE(commandsRun.empty());
  std::string rest;
  std::getline(console.input, rest);
  EXPECT_EQ(rest, "next");
}

TEST(Pause, CommandIsRunAndThePromptRepeated) {
  FakeConsole console("echo hello\r\ndir\n\r\n");
  pause(console.io);
  EXPECT_EQ(console.output.str(), std::string(kPrompt) + kPrompt + kPrompt);
  EXPECT_EQ(commandsRun, (std::vector<std::string>{"echo hello", "dir"}));
}

TEST(Pause, EndOfInputContinuesInsteadOfLooping) {
  FakeConsole console("echo once\n");
  pause(console.io);
  EXPECT_EQ(commandsRun, std::vector<std::string>{"echo once"});
  EXPECT_EQ(console.output.str(), std::string(kPrompt) + kPrompt);
}

TEST(Pause, LineOver1024CharactersIsNotRunAtAll) {
  const std::string kTooLong = "Command too long (over 1024 characters): not run\n";
  struct Case {
    std::string line;
    bool runs;
  };
  const Case cases[] = {
      {std::string(1024, 'x') + "\n", true},   {std::string(1024, 'x') + "\r\n", true},
      {std::string(1024, 'x'), true},  // the last line, without a line feed
      {std::string(1025, 'x') + "\n", false},  {std::string(1024, 'x') + "\rx\r\n", false},
      {std::string(5000, 'x') + "\r\n", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.size());
    FakeConsole console(c.line);
    pause(console.io);
    if (c.runs) {
      EXPECT_EQ(commandsRun, std::vector<std::string>{std::string(1024, 'x')});
      EXPECT_EQ(console.output.str(), std::string(kPrompt) + kPrompt);
    } else {
      EXPECT_TRUE(commandsRun.empty());
      EXPECT_EQ(console.output.str(), kPrompt + kTooLong + kPrompt);
    }
  }
}

TEST(RunCase, ReportThatCannotBeCreatedIsAnOpenFailure) {
  ScratchDirectory directory;
  std::filesystem::create_directory("Output.out");
  FakeConsole console("");
  EXPECT_EQ(runCase(console.io), kExitRunTimeError);
  EXPECT_EQ(console.errors.str(), "forrtl: severe (30): open failure, unit 41, file Output.out\n");
  EXPECT_EQ(console.output.str(), "");
}

TEST(RunCase, ErrorLeavesEveryCompletedRecordInTheReport) {
  ScratchDirectory directory;
  FakeConsole console("x\n");
  openReportFile(console.io);
  writeRecord(console.io.report, {"REPORT"});
  float value = 0;
  EXPECT_THROW(readValue(console.io, value), RunError);
  EXPECT_EQ(directory.contentsOf("Output.out"), " REPORT\r\n");
  closeFiles(console.io);
}

}  // namespace

}  // namespace littoral
