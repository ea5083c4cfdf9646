#include "storm_sequence.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace littoral {
namespace {

// A front end that answers as runStorm does but is told of every growth pass, as the console
// is: the path that the console takes through the stages.
struct EveryPassAnswering {
  static constexpr bool kShowsEveryGrowthPass = true;

  void ask(Question question, float& answer) const { answerFrom(answers, question, answer); }
  void ask(Question question, std::int32_t& answer) const { answerFrom(answers, question, answer); }
  void reached(Step step, const CaseState&, const ShownValues&, std::int32_t) {
    if (step == Step::growthPass) ++passesShown;
  }

  const StormAnswers& answers;
  std::int32_t passesShown = 0;
};

StormValues runEveryPass(const StormAnswers& answers, std::int32_t& passesShown) {
  CaseState state;
  ShownValues shown;
  EveryPassAnswering frontEnd{answers};
  runStages(state, shown, frontEnd);
  passesShown = frontEnd.passesShown;
  return shown.storm;
}

// A real that is now and then an extreme: zero, tiny, subnormal, huge or negative.
float withExtremes(std::mt19937& generator, float ordinary) {
  static constexpr float kExtremes[] = {0.0f, 1e-30f, 1e-40f, 1e30f, -1.0f, 1e-7f};
  if (generator() % 20 != 0) return ordinary;
  return kExtremes[generator() % std::size(kExtremes)];
}

StormAnswers randomStorm(std::mt19937& generator) {
  std::uniform_real_distribution<float> unit(0, 1);
  StormAnswers answers;
  static constexpr float kGravities[] = {9.81f, 32.2f, 9.81f, 32.2f, 30.0f, 1e-30f, -9.81f};
  answers.g = kGravities[generator() % std::size(kGravities)];
  answers.depth = withExtremes(generator, 1 + 60 * unit(generator));
  answers.fetchUnit = 1 + std::int32_t(generator() % 5);
  answers.fetch = withExtremes(generator, 200 * unit(generator));
  answers.speedUnit = 1 + std::int32_t(generator() % 5);
  answers.windSpeed = withExtremes(generator, 60 * unit(generator));
  // Zero and tiny durations take thousands of passes; negative ones end a storm early.
  const float pick = unit(generator);
  answers.durationHours = pick < 0.05f ? 0.0f : pick < 0.1f ? -1.0f : 12 * unit(generator);
  answers.rt = 0.8f + 0.5f * unit(generator);
  answers.rl = 0.8f + 0.8f * unit(generator);
  answers.localDepth = withExtremes(generator, 10 * unit(generator));
  answers.angleDegrees = 180 * unit(generator) - 90;
  if (unit(generator) < 0.8f) answers.settlingVelocity = 10 * unit(generator);
  return answers;
}

bool sameBits(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// The quiet path of runStorm and the console's path, which stops at every growth pass, give
// the same bits of every value, the same values present and the same errors.
TEST(StormSequence, QuietPathEqualsThePathThatShowsEveryGrowthPass) {
  std::mt19937 generator(2026);
  for (int i = 0; i < 5000; ++i) {
    const StormAnswers answers = randomStorm(generator);
    std::int32_t passesShown = 0;
    const StormValues shown = runEveryPass(answers, passesShown);
    const StormValues quiet = runStorm(answers);
    ASSERT_EQ(quiet.error, shown.error) << i;
    ASSERT_EQ(quiet.passes, shown.passes) << i;
    ASSERT_EQ(passesShown, shown.passes) << i;
    ASSERT_EQ(quiet.units, shown.units) << i;
    ASSERT_EQ(quiet.limitedBy, shown.limitedBy) << i;
    ASSERT_EQ(quiet.present, shown.present) << i;
    for (std::size_t v = 0; v < kStormValueCount; ++v) {
      ASSERT_TRUE(sameBits(quiet.values[v], shown.values[v])) << i << " " << v;
    }
  }
}

// runStorms gives every storm of a batch exactly what runStorm gives it alone: the same bits,
// values present, warnings and error, whatever its neighbours in the batch (extremes, errors at
// every stage, thousands of growth passes) and whatever the batch's size.
TEST(StormSequence, BatchEqualsEachStormAlone) {
  std::mt19937 generator(1789);
  std::vector<StormAnswers> answers(20000);
  for (StormAnswers& storm : answers) storm = randomStorm(generator);
  // The storms end with each kind of math error at many points of the run.
  std::set<std::pair<std::string, std::size_t>> endings;
  for (const StormAnswers& storm : answers) {
    const StormValues alone = runStorm(storm);
    endings.emplace(alone.error, alone.present.count());
  }
  ASSERT_GE(endings.size(), 10u);
  for (const std::size_t batchSize :
       {std::size_t{1}, std::size_t{3}, std::size_t{37}, std::size_t{1024}, answers.size()}) {
    std::vector<StormValues> batched(answers.size());
    for (std::size_t first = 0; first < answers.size(); first += batchSize) {
      const std::size_t size = std::min(batchSize, answers.size() - first);
      runStorms(std::span(answers).subspan(first, size), std::span(batched).subspan(first, size));
    }
    for (std::size_t i = 0; i < answers.size(); ++i) {
      const StormValues alone = runStorm(answers[i]);
      const StormValues& batch = batched[i];
      ASSERT_EQ(batch.error, alone.error) << i;
      ASSERT_EQ(batch.passes, alone.passes) << i;
      ASSERT_EQ(batch.units, alone.units) << i;
      ASSERT_EQ(batch.limitedBy, alone.limitedBy) << i;
      ASSERT_EQ(batch.present, alone.present) << i;
      ASSERT_EQ(batch.warnings, alone.warnings) << i;
      for (std::size_t v = 0; v < kStormValueCount; ++v) {
        ASSERT_TRUE(sameBits(batch.values[v], alone.values[v])) << i << " " << v;
      }
    }
  }
}

}  // namespace

}  // namespace littoral
