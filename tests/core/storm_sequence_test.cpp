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
  // Now and then an angle at an edge of the trig values worked side by side: zero, below and
  // beyond their range, square to the shore.
  static constexpr float kAngles[] = {0.0f,       1e-6f,  1e-4f,  -3e-5f, 90.0f,
                                      -89.99999f, 450.0f, 460.0f, -1e30f};
  answers.angleDegrees = generator() % 10 == 0 ? kAngles[generator() % std::size(kAngles)]
                                               : 180 * unit(generator) - 90;
  if (unit(generator) < 0.8f) answers.settlingVelocity = 10 * unit(generator);
  return answers;
}

bool sameBits(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// Whether two runs of a storm gave the same: error, passes, units, limit, values present,
// warnings and the bits of every value.
::testing::AssertionResult sameStorm(const StormValues& a, const StormValues& b) {
  if (a.error != b.error || a.passes != b.passes || a.units != b.units ||
      a.limitedBy != b.limitedBy || a.present != b.present || a.warnings != b.warnings) {
    return ::testing::AssertionFailure()
           << "\"" << a.error << "\" " << a.passes << " vs \"" << b.error << "\" " << b.passes;
  }
  for (std::size_t v = 0; v < kStormValueCount; ++v) {
    if (!sameBits(a.values[v], b.values[v])) return ::testing::AssertionFailure() << "value " << v;
  }
  return ::testing::AssertionSuccess();
}

// The quiet path of runStorm and the console's path, which stops at every growth pass, give
// the same storm.
TEST(StormSequence, QuietPathEqualsThePathThatShowsEveryGrowthPass) {
  std::mt19937 generator(2026);
  for (int i = 0; i < 5000; ++i) {
    const StormAnswers answers = randomStorm(generator);
    std::int32_t passesShown = 0;
    const StormValues shown = runEveryPass(answers, passesShown);
    ASSERT_TRUE(sameStorm(runStorm(answers), shown)) << i;
    ASSERT_EQ(passesShown, shown.passes) << i;
  }
}

// runStorms gives every storm of a batch exactly what runStorm gives it alone, whatever its
// neighbours in the batch (extremes, errors at every stage, thousands of growth passes) and
// whatever the batch's size.
TEST(StormSequence, BatchEqualsEachStormAlone) {
  std::mt19937 generator(1789);
  std::vector<StormAnswers> answers(20000);
  for (StormAnswers& storm : answers) storm = randomStorm(generator);
  std::vector<StormValues> alone;
  std::set<std::pair<std::string, std::size_t>> endings;  // each kind of error, at many points
  for (const StormAnswers& storm : answers) {
    alone.push_back(runStorm(storm));
    endings.emplace(alone.back().error, alone.back().present.count());
  }
  ASSERT_GE(endings.size(), 10u);
  for (const std::size_t batchSize : {1ul, 3ul, 37ul, 1024ul, answers.size()}) {
    std::vector<StormValues> batched(answers.size());
    for (std::size_t first = 0; first < answers.size(); first += batchSize) {
      const std::size_t size = std::min(batchSize, answers.size() - first);
      runStorms(std::span(answers).subspan(first, size), std::span(batched).subspan(first, size));
    }
    for (std::size_t i = 0; i < answers.size(); ++i) {
      ASSERT_TRUE(sameStorm(batched[i], alone[i])) << i << " in batches of " << batchSize;
    }
  }
}

}  // namespace

}  // namespace littoral
