#pragma once

#include <cstdint>
#include <string_view>

#include "case_state.hpp"
#include "run_io.hpp"
#include "storm_sequence.hpp"
#include "transcript.hpp"

namespace littoral {
// The console dialogue as the stages' front end: it prompts for each answer and reads it at
// the console, writes every record to the console, Output.out and RESULTS.out, opens
// RESULTS.out when the transport begins, and pauses where the run pauses. A failed read or
// write ends the run with its RunError.
class ConsoleDialogue final : public RecordOutput {
 public:
  static constexpr bool kShowsEveryGrowthPass = true;

  explicit ConsoleDialogue(RunIo& io) : io_(io) {}

  void ask(Question question, float& answer);
  void ask(Question question, std::int32_t& answer);
  void reached(Step step, const CaseState& state, const ShownValues& shown,
               std::int32_t heightClass);
  void write(Channel channel, std::string_view records) override;

 private:
  RunIo& io_;
};

}  // namespace littoral
