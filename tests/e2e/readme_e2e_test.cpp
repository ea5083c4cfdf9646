#include <algorithm>
#include <cstddef>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_binary.hpp"

// The sample sessions of the README must be what the program prints for their answers files.
//
// A session is the fenced block after the line "<!-- session: NAME -->", its answers file the
// block after "<!-- answers: NAME -->". A session line is the program's text, then optionally
// "<-" and the answer typed at that prompt ("(empty line)" for an empty one), then optionally
// "|" and a note. A line that is only "..." stands for any number of the program's lines. Lines
// are compared without the blanks and the CR at their ends, which the README cannot keep.

namespace littoral {

namespace {

std::vector<std::string> readmeLines() {
  std::ifstream file(LITTORAL_README);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

std::string trimEnd(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string trim(const std::string& text) {
  const std::string end = trimEnd(text);
  return end.substr(std::min(end.find_first_not_of(' '), end.size()));
}

// The lines of the fenced block that follows the marker line; nothing when there is none.
std::optional<std::vector<std::string>> blockAfter(const std::vector<std::string>& readme,
                                                   const std::string& marker) {
  auto at = std::find(readme.begin(), readme.end(), marker);
  if (at == readme.end() || ++at == readme.end() || at->rfind("```", 0) != 0) return std::nullopt;
  std::vector<std::string> block;
  for (++at; at != readme.end() && *at != "```"; ++at) block.push_back(*at);
  if (at == readme.end()) return std::nullopt;
  return block;
}

struct SessionLine {
  std::string program;
  std::optional<std::string> answer;
  bool elision = false;
};

SessionLine parseSessionLine(const std::string& line) {
  const std::size_t answerAt = line.find("<-");
  const std::size_t noteAt = line.find('|');
  SessionLine parsed;
  parsed.program = trimEnd(line.substr(0, std::min(answerAt, noteAt)));
  parsed.elision = trim(parsed.program) == "...";
  if (answerAt < noteAt) {
    const std::string answer = trim(line.substr(answerAt + 2, noteAt - (answerAt + 2)));
    parsed.answer = answer == "(empty line)" ? "" : answer;
  }
  return parsed;
}

std::vector<std::string> consoleLines(const std::string& console) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = console.find('\n'); end != std::string::npos;
       end = console.find('\n', start)) {
    lines.push_back(trimEnd(console.substr(start, end - start)));
    start = end + 1;
  }
  if (start < console.size()) lines.push_back(trimEnd(console.substr(start)));
  return lines;
}

bool segmentAt(const std::vector<std::string>& console, std::size_t at,
               const std::vector<std::string>& segment) {
  return at + segment.size() <= console.size() &&
         std::equal(segment.begin(), segment.end(), console.begin() + std::ptrdiff_t(at));
}

// The session's runs of lines between elisions must follow one another in the console; a run
// without an elision before it starts where the previous one ended, and without one after it
// ends the console.
testing::AssertionResult consoleMatches(const std::vector<std::string>& console,
                                        const std::vector<SessionLine>& session) {
  std::size_t at = 0;
  bool anchored = true;
  std::vector<std::string> segment;
  auto place = [&]() -> testing::AssertionResult {
    if (segment.empty()) return testing::AssertionSuccess();
    if (anchored) {
      for (std::size_t i = 0; i < segment.size(); ++i) {
        if (at + i >= console.size() || console[at + i] != segment[i]) {
          return testing::AssertionFailure()
                 << "console line " << at + i + 1 << ": the README shows\n  \"" << segment[i]
                 << "\"\nbut the program wrote\n  \""
                 << (at + i < console.size() ? console[at + i] : "<nothing>") << "\"";
        }
      }
    } else {
      std::size_t found = at;
      while (found < console.size() && !segmentAt(console, found, segment)) ++found;
      if (found == console.size()) {
        return testing::AssertionFailure()
               << "after console line " << at << " the program never "
               << "wrote the README's lines from \"" << segment[0] << "\"";
      }
      at = found;
    }
    at += segment.size();
    segment.clear();
    return testing::AssertionSuccess();
  };
  for (const SessionLine& line : session) {
    if (!line.elision) {
      segment.push_back(line.program);
      continue;
    }
    if (testing::AssertionResult placed = place(); !placed) return placed;
    anchored = false;
  }
  if (testing::AssertionResult placed = place(); !placed) return placed;
  if (!session.empty() && !session.back().elision && at != console.size()) {
    return testing::AssertionFailure() << "the program wrote " << console.size() - at
                                       << " more lines, from \"" << console[at] << "\"";
  }
  return testing::AssertionSuccess();
}

std::vector<std::string> withoutTrailingEmptyLines(std::vector<std::string> lines) {
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

bool isSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  auto at = whole.begin();
  for (const std::string& item : part) {
    at = std::find(at, whole.end(), item);
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

TEST(Readme, SampleSessionsAreTheProgramsConsole) {
  const std::vector<std::string> readme = readmeLines();
  ASSERT_FALSE(readme.empty()) << LITTORAL_README;
  for (const std::string name : {"si", "us"}) {
    SCOPED_TRACE("session " + name);
    const auto sessionBlock = blockAfter(readme, "<!-- session: " + name + " -->");
    const auto answersBlock = blockAfter(readme, "<!-- answers: " + name + " -->");
    ASSERT_TRUE(sessionBlock && answersBlock);

    std::vector<SessionLine> session;
    std::vector<std::string> shownAnswers;
    bool complete = true;
    for (const std::string& line : *sessionBlock) {
      session.push_back(parseSessionLine(line));
      if (session.back().answer) shownAnswers.push_back(*session.back().answer);
      complete = complete && !session.back().elision;
    }
    if (complete) {
      EXPECT_EQ(withoutTrailingEmptyLines(shownAnswers), withoutTrailingEmptyLines(*answersBlock));
    } else {
      EXPECT_TRUE(isSubsequence(shownAnswers, *answersBlock));
    }

    std::string answers;
    for (const std::string& line : *answersBlock) answers += line + "\n";
    const RunOutcome run = runLittoral(answers);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, "");
    const std::vector<std::string> console = consoleLines(run.console);
    for (const std::string& line : console) {
      // The session format needs these two marks for itself.
      EXPECT_EQ(line.find("<-"), std::string::npos) << line;
      EXPECT_EQ(line.find('|'), std::string::npos) << line;
    }
    EXPECT_TRUE(consoleMatches(console, session));
  }
}

}  // namespace

}  // namespace littoral
