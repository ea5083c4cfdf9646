#include "littoral/storm.hpp"

#include "case_state.hpp"
#include "storm_sequence.hpp"

#include <algorithm>
#include <array>
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

namespace {

// Storms taken through the parts of the run together: enough to keep the wave length
// iterations' rounds full, few enough for their states to stay in the cache.
constexpr std::size_t kGroup = 128;

struct GroupStorm {
  CaseState state;
  ShownValues shown;
};

// Runs the storms of a group part by part, each part of every storm before the next part, the
// two wave length iterations side by side. A storm that meets a math error keeps it and takes
// no further part.
void runGroup(std::span<const StormAnswers> answers, std::span<StormValues> values) {
  std::array<GroupStorm, kGroup> storms;
  std::array<WaveLengthLane, kGroup> lanes;
  std::array<std::size_t, kGroup> stormOfLane{};
  std::size_t laneCount = 0;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    GroupStorm& storm = storms[i];
    StormAnswering frontEnd{answers[i]};
    try {
      lanes[laneCount] = {
          &storm.state, runToOffshoreWaveLength(storm.state, storm.shown, frontEnd), {}};
      stormOfLane[laneCount++] = i;
    } catch (const MathError& error) {
      storm.shown.storm.error = error.message;
    }
  }
  // The same for the second and third parts, each after an iteration: a lane whose iteration
  // met an error, or whose part does, is dropped.
  for (const bool local : {false, true}) {
    iterateWaveLengths(std::span(lanes).first(laneCount));
    std::size_t kept = 0;
    for (std::size_t lane = 0; lane < laneCount; ++lane) {
      const std::size_t i = stormOfLane[lane];
      GroupStorm& storm = storms[i];
      if (lanes[lane].error) {
        storm.shown.storm.error = lanes[lane].error->message;
        continue;
      }
      StormAnswering frontEnd{answers[i]};
      const WaveLengthRun iterated = lanes[lane].run;
      try {
        if (local) {
          runFromLocalWaveLength(storm.state, storm.shown, frontEnd, iterated);
          continue;
        }
        lanes[kept] = {
            &storm.state, runToLocalWaveLength(storm.state, storm.shown, frontEnd, iterated), {}};
        stormOfLane[kept++] = i;
      } catch (const MathError& error) {
        storm.shown.storm.error = error.message;
      }
    }
    laneCount = kept;
  }
  for (std::size_t i = 0; i < answers.size(); ++i) values[i] = std::move(storms[i].shown.storm);
}

}  // namespace

void runStorms(std::span<const StormAnswers> answers, std::span<StormValues> values) {
  setNumericEnvironment();
  for (std::size_t first = 0; first < answers.size(); first += kGroup) {
    const std::size_t count = std::min(kGroup, answers.size() - first);
    runGroup(answers.subspan(first, count), values.subspan(first, count));
  }
}

}  // namespace littoral
