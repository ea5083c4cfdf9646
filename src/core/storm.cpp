#include "littoral/storm.hpp"

#include "case_state.hpp"
#include "storm_sequence.hpp"

#include <utility>

namespace littoral {

namespace {

// The storm's answers, and nothing shown: the values stay in ShownValues.
struct StormAnswering {
  static constexpr bool kShowsEveryGrowthPass = false;

  void ask(Question question, float& answer) const { answerFrom(answers, question, answer); }
  void ask(Question question, std::int32_t& answer) const { answerFrom(answers, question, answer); }
  void reached(Step, const CaseState&, const ShownValues&, std::int32_t) const {}

  const StormAnswers& answers;
};

}  // namespace

void answerFrom(const StormAnswers& answers, Question question, float& answer) {
  switch (question) {
    case Question::gravity:
      answer = answers.g;
      return;
    case Question::offshoreDepth:
      answer = answers.depth;
      return;
    case Question::fetch:
      answer = answers.fetch;
      return;
    case Question::windSpeed:
      answer = answers.windSpeed;
      return;
    case Question::durationHours:
      answer = answers.durationHours;
      return;
    case Question::stabilityFactor:
      answer = answers.rt;
      return;
    case Question::seaLandFactor:
      answer = answers.rl;
      return;
    case Question::localDepth:
      answer = answers.localDepth;
      return;
    case Question::angleDegrees:
      answer = answers.angleDegrees;
      return;
    case Question::beachSlope:
      if (answers.beachSlope) answer = *answers.beachSlope;
      return;
    case Question::settlingVelocity:
      if (answers.settlingVelocity) answer = *answers.settlingVelocity;
      return;
    case Question::fetchUnit:
    case Question::speedUnit:
    case Question::continueAnswer:
      return;
  }
}

void answerFrom(const StormAnswers& answers, Question question, std::int32_t& answer) {
  switch (question) {
    case Question::fetchUnit:
      answer = answers.fetchUnit;
      return;
    case Question::speedUnit:
      answer = answers.speedUnit;
      return;
    case Question::continueAnswer:
      answer = answers.settlingVelocity ? 1 : 0;
      return;
    default:
      return;
  }
}

StormValues runStorm(const StormAnswers& answers) {
  CaseState state;
  ShownValues shown;
  StormAnswering frontEnd{answers};
  runStages(state, shown, frontEnd);
  return std::move(shown.storm);
}

void runStorms(std::span<const StormAnswers> answers, std::span<StormValues> values) {
  for (std::size_t i = 0; i < answers.size(); ++i) values[i] = runStorm(answers[i]);
}

}  // namespace littoral
