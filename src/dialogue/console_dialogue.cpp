#include "console_dialogue.hpp"

#include "console_input.hpp"
#include "pause.hpp"

namespace littoral {
void ConsoleDialogue::ask(Question question, float& answer) {
  writePrompt(*this, question);
  readValue(io_, answer);
  writeEcho(*this, question, answer);
}

void ConsoleDialogue::ask(Question question, std::int32_t& answer) {
  writePrompt(*this, question);
  readValue(io_, answer);
}

void ConsoleDialogue::reached(Step step, const CaseState& state, const ShownValues& shown,
                              std::int32_t heightClass) {
  if (step == Step::transportFactor) openResultsFile(io_);
  writeStepRecords(*this, step, state, shown, heightClass);
  if (pausesAfter(step)) pause(io_);
}

void ConsoleDialogue::write(Channel channel, std::string_view records) {
  switch (channel) {
    case Channel::console:
      return writeText(io_.console, records);
    case Channel::report:
      return writeText(io_.report, records);
    case Channel::results:
      return writeText(io_.results, records);
  }
}

}  // namespace littoral
