#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "case_state.hpp"
#include "storm_sequence.hpp"

// The records of a storm as the console dialogue writes them: the prompt of each question, the
// echo of an answer, and the lines of each step the stages reach, for the console, the report
// Output.out and the results RESULTS.out. Where the records go is the front end's business.

namespace littoral {

enum class Channel { console, report, results };

// Receives the records of one output statement (one or more records, each ended by CR LF) for a
// channel.
class RecordOutput {
 public:
  virtual void write(Channel channel, std::string_view records) = 0;

 protected:
  ~RecordOutput() = default;
};

// The prompt of the pause, written before each line is read.
inline constexpr std::string_view kPausePrompt =
    "Fortran Pause - Enter command<CR> or <CR> to continue.\n";

// Writes the prompt of a question.
void writePrompt(RecordOutput& output, Question question);

// Writes the echo of a real answer as it was taken (none for most questions).
void writeEcho(RecordOutput& output, Question question, float answer);

// Writes the records of a step; heightClass is the class (1 to 4) of a class's step.
void writeStepRecords(RecordOutput& output, Step step, const CaseState& state,
                      const ShownValues& shown, std::int32_t heightClass);

// Whether the dialogue pauses after the records of the step.
bool pausesAfter(Step step);

// A storm's values and records as the console dialogue writes them for the answers, each
// pause answered by an empty line, without a console or files: the three destinations' texts.
struct StormTranscript {
  StormValues values;
  std::string console;
  std::string report;
  std::string results;
};

StormTranscript transcribeStorm(const StormAnswers& answers);

}  // namespace littoral
