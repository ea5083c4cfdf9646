#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "dialogue.hpp"
#include "record_match.hpp"
#include "run_binary.hpp"

namespace littoral {
namespace {

const std::string kWholeSiRun = kSiStorm + "1\n\n/\n1.5\n\n";
// Zero duration: the growth loop runs 5469 passes, with a console line and three report
// records each.
const std::string kLongLoop = "9.81\n10\n4\n50\n2\n20\n0\n1\n1\n3\n30\n2\n";
const std::string kPausePrompt = "Fortran Pause - Enter command<CR> or <CR> to continue.\n";
const char* const kConsoleWriteFailure =
    "forrtl: severe (38): error during write, unit -1, file CONOUT$\n";
const char* const kConversionError =
    "forrtl: severe (64): input conversion error, unit -4, file CONIN$\n";

// The text is a prefix of the whole one that ends at the end of a record.
void expectCompleteRecordPrefix(const std::optional<std::string>& partial,
                                const std::optional<std::string>& whole) {
  if (!partial) return;
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->compare(0, partial->size(), *partial), 0) << "not a prefix of the whole run";
  if (!partial->empty()) {
    EXPECT_EQ(partial->substr(partial->size() - 2), "\r\n") << "a partial record";
  }
}

RunOutcome interrupt(const std::string& answers, const std::string& after,
                     const ConsoleEvent& event) {
  RunOptions options;
  options.after = after;
  options.signal = event.signal;
  return runLittoral(answers, options);
}

void expectEventEndedRun(const RunOutcome& run, const ConsoleEvent& event) {
  EXPECT_EQ(run.errors, event.message);
  EXPECT_EQ(run.exitStatus, event.exitStatus);
}

TEST(ConsoleEvents, AtAnEarlyPromptTheContinuePromptAndBothPauses) {
  const RunOutcome whole = runLittoral(kWholeSiRun);
  ASSERT_EQ(whole.exitStatus, 0);
  struct Moment {
    std::string answers;
    std::string after;
  };
  const Moment moments[] = {
      {"9.81\n10\n", "Enter Fetch Units"},
      {kSiStorm, "Enter 1 to continue"},
      {kSiStorm + "1\n", "Fortran Pause"},
      {kSiStorm + "1\n\n/\n1.5\n", "LONG SHORE RATE FOR THIS STORM"},
  };
  for (const ConsoleEvent& event : kEvents) {
    for (const Moment& moment : moments) {
      SCOPED_TRACE(moment.after + " " + event.message);
      const RunOutcome run = interrupt(moment.answers, moment.after, event);
      expectEventEndedRun(run, event);
      expectCompleteRecordPrefix(run.report, whole.report);
      expectCompleteRecordPrefix(run.results, whole.results);
      EXPECT_EQ(whole.console.compare(0, run.console.size(), run.console), 0);
    }
  }
  const RunOutcome atContinue = interrupt(kSiStorm, "Enter 1 to continue", kEvents[0]);
  EXPECT_EQ(atContinue.report, whole.report);
  EXPECT_FALSE(atContinue.results);
  const RunOutcome atLastPause =
      interrupt(kSiStorm + "1\n\n/\n1.5\n", "LONG SHORE RATE FOR THIS STORM", kEvents[0]);
  EXPECT_EQ(atLastPause.results, whole.results);
}

TEST(ConsoleEvents, DuringALongGrowthLoopNoRecordIsLostOrCut) {
  const std::string& answers = kLongLoop;
  const RunOutcome whole = runLittoral(answers);
  for (const ConsoleEvent& event : kEvents) {
    SCOPED_TRACE(event.message);
    RunOptions options;
    options.reportHolds = "Non-dimensional fetch FF";
    options.signal = event.signal;
    const RunOutcome run = runLittoral(answers, options);
    expectEventEndedRun(run, event);
    expectCompleteRecordPrefix(run.report, whole.report);
    ASSERT_TRUE(run.report);
    const std::vector<std::string> records = splitRecords(*run.report);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().substr(0, 16), " Non-dimensional") << "not ended within the loop";
    EXPECT_LT(run.report->size(), whole.report->size());
    EXPECT_EQ(whole.console.compare(0, run.console.size(), run.console), 0);
  }
}

TEST(FileFaults, ReportOnAFullDeviceIsAWriteFailure) {
  RunOptions options;
  options.prepare = [](const std::string& directory) {
    std::filesystem::create_symlink("/dev/full", directory + "/Output.out");
  };
  const RunOutcome run = runLittoral(kWholeSiRun, options);
  EXPECT_EQ(run.errors, "forrtl: severe (38): error during write, unit 41, file Output.out\n");
  EXPECT_NE(run.exitStatus, 0);
  EXPECT_EQ(run.console, "");
}

TEST(FileFaults, ResultsThatCannotBeCreatedIsAnOpenFailure) {
  RunOptions options;
  options.prepare = [](const std::string& directory) {
    std::filesystem::create_directory(directory + "/RESULTS.out");
  };
  const RunOutcome run = runLittoral(kWholeSiRun, options);
  const RunOutcome stopped = runLittoral(kSiStorm + "2\n");
  EXPECT_EQ(run.errors, "forrtl: severe (30): open failure, unit 10, file RESULTS.out\n");
  EXPECT_NE(run.exitStatus, 0);
  EXPECT_EQ(run.report, stopped.report);
  EXPECT_EQ(countRecords(run.console, "---LONG SHORE TRANSPORT RATE---"), 1);
}

TEST(AnswerFiles, WindowsLineEndingsGiveTheSameRun) {
  const std::string unix = kSiStorm + "1\necho hello\n\n/\n1.5\n\n";
  std::string windows;
  for (const char c : unix) {
    if (c == '\n') windows += '\r';
    windows += c;
  }
  const RunOutcome fromUnix = runLittoral(unix);
  const RunOutcome fromWindows = runLittoral(windows);
  EXPECT_EQ(fromWindows.exitStatus, 0);
  EXPECT_EQ(fromWindows.console, fromUnix.console);
  EXPECT_EQ(fromWindows.report, fromUnix.report);
  EXPECT_EQ(fromWindows.results, fromUnix.results);
  EXPECT_NE(fromWindows.console.find("\nhello\n"), std::string::npos);
}

TEST(ConsoleEvents, EndARunWhoseConsoleIsNotRead) {
  const RunOutcome whole = runLittoral(kLongLoop);
  for (const ConsoleEvent& event : kEvents) {
    for (const bool drained : {false, true}) {
      SCOPED_TRACE(std::string(event.message) + (drained ? " drained" : " never read"));
      RunOptions options;
      options.consoleFull = true;
      options.drainConsoleFirst = drained;
      options.signal = event.signal;
      const RunOutcome run = runLittoral(kLongLoop, options);
      expectEventEndedRun(run, event);
      expectCompleteRecordPrefix(run.report, whole.report);
      ASSERT_TRUE(run.report);
      // Whole records, none twice; with room on the console, all that was held.
      expectCompleteRecordPrefix(run.console, whole.console);
      if (drained) {
        EXPECT_GE(countRecords(run.console, "Fd, FF, Ftd ="),
                  countRecords(*run.report, "Non-dimensional duration Ftd"));
      }
    }
  }
}

TEST(FileFaults, AFullFileSystemLeavesTheReportAtItsLastWholeRecord) {
  const RunOutcome whole = runLittoral(kLongLoop);
  ASSERT_TRUE(whole.report);
  for (const long limit : {5000L, 8192L, 12345L}) {
    SCOPED_TRACE(limit);
    RunOptions options;
    options.fileSizeLimit = limit;
    const RunOutcome run = runLittoral(kLongLoop, options);
    EXPECT_EQ(run.errors, "forrtl: severe (38): error during write, unit 41, file Output.out\n");
    EXPECT_EQ(run.exitStatus, 1);
    const std::size_t lastRecordEnd = whole.report->rfind("\r\n", std::size_t(limit) - 2) + 2;
    EXPECT_EQ(run.report, whole.report->substr(0, lastRecordEnd));
  }
}

TEST(StandardStreams, AClosedStreamIsNeverTakenByAFile) {
  struct Case {
    int closed;
    std::string answers;
    const char* errors;
    const char* console;
  };
  const Case cases[] = {
      {STDIN_FILENO, kWholeSiRun,
       "forrtl: severe (24): end-of-file during read, unit -4, file CONIN$\n", " g =\r\n"},
      {STDOUT_FILENO, kWholeSiRun, kConsoleWriteFailure, ""},
      {STDERR_FILENO, "x\n", "", " g =\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.closed);
    RunOptions options;
    options.closedStreams = {c.closed};
    const RunOutcome run = runLittoral(c.answers, options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.console, c.console);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.report, " REPORT\r\n");
  }
}

TEST(StandardStreams, AConsoleClosedUnderTheRunIsAWriteFailure) {
  const RunOutcome whole = runLittoral(kWholeSiRun);
  RunOptions options;
  options.after = "Enter 1 to continue";
  options.closeConsole = true;
  options.answersAfter = "1\n\n/\n1.5\n\n";
  const RunOutcome run = runLittoral(kSiStorm, options);
  EXPECT_EQ(run.errors, kConsoleWriteFailure);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.report, whole.report);
  expectCompleteRecordPrefix(run.results, whole.results);
  // A command at the pause still ends quietly on a broken pipe of its own.
  const RunOutcome piped = runLittoral(kSiStorm + "1\nyes | head -n 1\n\n/\n1.5\n\n");
  EXPECT_EQ(piped.errors, "");
  EXPECT_NE(piped.console.find(kPausePrompt + "y\n" + kPausePrompt), std::string::npos);
}

TEST(PauseCommands, ALineOverTheLimitIsNeverRunInPartOrInPieces) {
  const RunOutcome whole = runLittoral(kWholeSiRun);
  // Cut anywhere, the command would still print "ran".
  const auto command = [](std::size_t length) {
    return "echo ran;" + std::string(length - 18, ' ') + "echo tail";
  };
  struct Case {
    std::size_t length;
    const char* ending;
    bool runs;
  };
  const Case cases[] = {{1024, "\n", true},
                        {1024, "\r\n", true},
                        {1025, "\n", false},
                        {1025, "\r\n", false},
                        {100000, "\n", false}};
  const std::size_t afterFirstPause = whole.console.find(kPausePrompt) + kPausePrompt.size();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + (c.ending[0] == '\r' ? " CR LF" : " LF"));
    const RunOutcome run =
        runLittoral(kSiStorm + "1\n" + command(c.length) + c.ending + "\n/\n1.5\n\n");
    std::string expected = whole.console;
    expected.insert(
        afterFirstPause,
        (c.runs ? "ran\ntail\n" : "Command too long (over 1024 characters): not run\n") +
            kPausePrompt);
    EXPECT_EQ(run.console, expected);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.results, whole.results);
  }
}

TEST(PauseCommands, AConsoleEventDuringACommandEndsTheRun) {
  const RunOutcome whole = runLittoral(kWholeSiRun);
  struct Case {
    const char* command;
    bool fromTerminal;  // Ctrl-C to the whole process group while the command runs
    const ConsoleEvent& event;
  };
  const Case cases[] = {{"kill -INT $PPID", false, kEvents[0]},
                        {"kill -QUIT $PPID", false, kEvents[1]},
                        {"kill -INT $$", false, kEvents[0]},  // the command ends by it
                        {"echo running; sleep 10", true, kEvents[0]}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    RunOptions options;
    if (c.fromTerminal) {
      options.after = "running";
      options.signal = c.event.signal;
      options.signalGroup = true;
    }
    const RunOutcome run = runLittoral(kSiStorm + "1\n" + c.command + "\n\n/\n1.5\n\n", options);
    expectEventEndedRun(run, c.event);
    EXPECT_EQ(run.report, whole.report);
    EXPECT_EQ(run.results, "");
  }
}

TEST(AnswerFiles, AnyLineIsReadInBoundedMemory) {
  const RunOutcome whole = runLittoral(kWholeSiRun);
  const std::string directory = makeScratchDirectory();
  // Answers with 16 MB of one character inside, written a piece at a time: the test itself
  // stays small, and so does the process it starts.
  const auto answersWith = [&](const char* name, const std::string& before, char fill,
                               const std::string& after) {
    const std::string path = directory + "/" + name;
    std::ofstream file(path, std::ios::binary);
    file << before;
    const std::string piece(1 << 16, fill);
    for (int i = 0; i < 256; ++i) file << piece;
    file << after;
    return path;
  };
  struct Case {
    std::string inputFile;
    const char* errors;
  };
  const Case cases[] = {
      // The rest of a line is skipped; a command too long to run; a value too long to be a
      // number; an endless line of NUL characters.
      {answersWith("rest", "9.81 ", 'x', "\n" + kWholeSiRun.substr(5)), ""},
      {answersWith("pause", kSiStorm + "1\n", 'x', "\n\n/\n1.5\n\n"), ""},
      {answersWith("value", "", '1', "\n"), kConversionError},
      {"/dev/zero", kConversionError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inputFile);
    RunOptions options;
    options.inputFile = c.inputFile;
    const RunOutcome run = runLittoral("", options);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_LT(run.maxResidentKb, whole.maxResidentKb + 4096);
    if (*c.errors == 0) {
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(run.report, whole.report);
      EXPECT_EQ(run.results, whole.results);
    } else {
      EXPECT_EQ(run.exitStatus, 1);
      EXPECT_EQ(run.report, " REPORT\r\n");
    }
  }
  std::filesystem::remove_all(directory);
}

TEST(SharedDirectory, ARunOwnsItsFilesUntilItEnds) {
  const RunOutcome solo = runLittoral(kWholeSiRun);
  const RunOutcome usSolo = runLittoral(kUsStorm + "2\n");
  RunOptions shared;
  shared.directory = makeScratchDirectory();
  // While the first run waits at the continue prompt, four more start there together.
  std::vector<RunOutcome> others(4);
  RunOptions first = shared;
  first.after = "Enter 1 to continue";
  first.action = [&] {
    std::vector<std::thread> threads;
    for (RunOutcome& other : others) {
      threads.emplace_back([&] { other = runLittoral(kUsStorm + "2\n", shared); });
    }
    for (std::thread& thread : threads) thread.join();
  };
  first.answersAfter = "1\n\n/\n1.5\n\n";
  const RunOutcome run = runLittoral(kSiStorm, first);
  for (const RunOutcome& other : others) {
    EXPECT_EQ(other.errors, "forrtl: severe (30): open failure, unit 41, file Output.out\n");
    EXPECT_EQ(other.exitStatus, 1);
    EXPECT_EQ(other.console, "");
  }
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.report, solo.report);
  EXPECT_EQ(run.results, solo.results);
  // Once it has ended, its files are free; a run that stops early leaves RESULTS.out as it was.
  const RunOutcome next = runLittoral(kUsStorm + "2\n", shared);
  EXPECT_EQ(next.exitStatus, 0);
  EXPECT_EQ(next.report, usSolo.report);
  EXPECT_EQ(next.results, solo.results);
  std::filesystem::remove_all(shared.directory);
}

TEST(SharedDirectory, AFileHeldByAnotherProcessIsAnOpenFailureAndKeptAsItWas) {
  struct Case {
    const char* file;
    const char* errors;
  };
  const Case cases[] = {
      {"Output.out", "forrtl: severe (30): open failure, unit 41, file Output.out\n"},
      {"RESULTS.out", "forrtl: severe (30): open failure, unit 10, file RESULTS.out\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    RunOptions options;
    options.directory = makeScratchDirectory();
    const std::string path = options.directory + "/" + c.file;
    std::ofstream(path) << "another run's record\r\n";
    const int holder = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    const RunOutcome run = runLittoral(kWholeSiRun, options);
    close(holder);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(*c.file == 'O' ? run.report : run.results, "another run's record\r\n");
    std::filesystem::remove_all(options.directory);
  }
}

}  // namespace

}  // namespace littoral
