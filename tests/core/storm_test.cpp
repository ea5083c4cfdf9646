#include "littoral/storm.hpp"

#include "error_cause.hpp"
#include "si_storm.hpp"

#include <bitset>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace littoral {
namespace {

TEST(RunStorm, DurationLimitedHindcastShortensTheFetch64Times) {
  const StormValues values = runStorm(siStorm(1));
  EXPECT_EQ(values.error, "");
  EXPECT_EQ(values.units, UnitSystem::si);
  EXPECT_EQ(values.passes, 64);
  EXPECT_EQ(values.limitedBy, GrowthLimit::duration);
  // 50000 m times 0.98^63, and the worked hs and ts of the one-hour storm.
  EXPECT_NEAR(values.get(StormValue::effectiveFetch), 14002.75, 0.005);
  EXPECT_NEAR(values.get(StormValue::hs), 1.4880, 0.00005);
  EXPECT_NEAR(values.get(StormValue::ts), 4.1241, 0.00005);
  // Without a settling velocity the transport stage does not run.
  EXPECT_TRUE(values.has(StormValue::hnso));
  EXPECT_FALSE(values.has(StormValue::classShare1));
  EXPECT_FALSE(values.has(StormValue::stormTransport));
}

TEST(RunStorm, TransportValuesKeepTheirRelations) {
  StormAnswers answers = siStorm(5);
  answers.settlingVelocity = 1.5f;
  const StormValues values = runStorm(answers);
  ASSERT_EQ(values.error, "");
  EXPECT_EQ(values.limitedBy, GrowthLimit::fetch);
  EXPECT_EQ(values.passes, 1);
  double rateSum = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto value = [&](StormValue first) {
      return double(values.values[std::size_t(first) + i]);
    };
    // Exposure: the class's share in percent of the storm's 5 h in a 365-day year.
    EXPECT_NEAR(value(StormValue::classExposure1), value(StormValue::classShare1) * 100 * 5 / 8760,
                1e-6);
    rateSum += value(StormValue::classRate1);
  }
  // The SI total is the class rates' sum divided back to the US expression, ~4.448703.
  EXPECT_NEAR(values.get(StormValue::stormTransport), rateSum / 4.448703, 0.01);
  EXPECT_NEAR(values.get(StormValue::stormTransportM3),
              double(values.get(StormValue::stormTransport)) * 0.9144 * 0.9144 * 0.9144, 0.001);
}

TEST(RunStorm, MathErrorKeepsTheValuesPrintedBeforeIt) {
  // A zero duration drives ts to 0 after about 5,500 passes; the refraction's square root of
  // a NaN sine then ends the storm, after the s1 line and before AOR.
  const StormValues values = runStorm(siStorm(0));
  EXPECT_EQ(values.error, "math error 6201: sqrt: DOMAIN error");
  EXPECT_GT(values.passes, 5000);
  EXPECT_EQ(values.get(StormValue::hs), 0.0f);
  EXPECT_TRUE(values.has(StormValue::surfDepth));
  EXPECT_TRUE(values.has(StormValue::s1));
  EXPECT_TRUE(std::isnan(values.get(StormValue::so)));
  EXPECT_FALSE(values.has(StormValue::aor));
  EXPECT_FALSE(values.has(StormValue::hnso));
}

}  // namespace

namespace {

using Warnings = std::vector<Warning>;

// The warnings of a storm that differs from a clean SI storm (local depth 5 m, with transport)
// in one answer.
TEST(StormWarnings, EachConditionRaisesItsOwnWarning) {
  struct Case {
    const char* name;
    void (*change)(StormAnswers&);
    Warnings expected;  // in addition to none
  };
  const Case cases[] = {
      {"clean", [](StormAnswers&) {}, {}},
      {"local depth inside the surf zone",
       [](StormAnswers& a) { a.localDepth = 1; },
       {Warning::insideSurfZone}},
      {"local deeper than offshore",
       [](StormAnswers& a) { a.localDepth = 12; },
       {Warning::localDeeperThanOffshore}},
      {"sine clamped", [](StormAnswers& a) { a.angleDegrees = 89; }, {Warning::angleClamped}},
      {"light wind", [](StormAnswers& a) { a.windSpeed = 0.9f; }, {Warning::windSpeedOutOfRange}},
      {"short fetch", [](StormAnswers& a) { a.fetch = 0.09f; }, {Warning::fetchOutOfRange}},
      {"long storm", [](StormAnswers& a) { a.durationHours = 101; }, {Warning::durationOutOfRange}},
      {"deep sea", [](StormAnswers& a) { a.depth = 600; }, {Warning::depthOutOfRange}},
      {"stability factor", [](StormAnswers& a) { a.rt = 1.6f; }, {Warning::rtOutOfRange}},
      {"sea/land factor", [](StormAnswers& a) { a.rl = 0.4f; }, {Warning::rlOutOfRange}},
      {"steep beach",
       [](StormAnswers& a) { a.beachSlope = 0.3f; },
       {Warning::beachSlopeOutOfRange}},
      {"gravel",
       [](StormAnswers& a) { a.settlingVelocity = 31; },
       {Warning::settlingVelocityOutOfRange}},
  };
  for (const Case& c : cases) {
    StormAnswers answers = siStorm(5);
    answers.localDepth = 5;
    answers.settlingVelocity = 1.5f;
    c.change(answers);
    const StormValues values = runStorm(answers);
    std::bitset<kWarningCount> expected;
    for (const Warning warning : c.expected) expected.set(std::size_t(warning));
    EXPECT_EQ(values.warnings, expected) << c.name;
  }
}

// A zero duration runs thousands of passes; a US wind is judged in m/s (3.28 ft to the metre).
TEST(StormWarnings, ManyPassesAndUsUnits) {
  StormAnswers answers = siStorm(0);
  EXPECT_TRUE(runStorm(answers).warned(Warning::manyGrowthPasses));
  EXPECT_TRUE(runStorm(answers).warned(Warning::durationOutOfRange));
  StormAnswers us = siStorm(5);
  us.g = 32.2f;
  us.speedUnit = 1;  // ft/s
  us.fetch = 20;     // km
  us.depth = 30;     // ft
  us.localDepth = 20;
  us.windSpeed = 163;  // 49.7 m/s
  EXPECT_FALSE(runStorm(us).warned(Warning::windSpeedOutOfRange));
  us.windSpeed = 165;
  EXPECT_TRUE(runStorm(us).warned(Warning::windSpeedOutOfRange));
}

}  // namespace

namespace {

// The answer named as the cause of a math error, changed one at a time from a storm that runs
// to its end.
TEST(ErrorCause, NamesTheAnswerBehindTheMathError) {
  struct Case {
    const char* name;
    void (*change)(StormAnswers&);
    ErrorReason reason;
    Question answer;
  };
  const Case cases[] = {
      {"runs to its end", [](StormAnswers&) {}, ErrorReason::none, Question::gravity},
      {"gravity 30", [](StormAnswers& a) { a.g = 30; }, ErrorReason::noUnitSystem,
       Question::gravity},
      {"negative fetch", [](StormAnswers& a) { a.fetch = -5; }, ErrorReason::notPositive,
       Question::fetch},
      {"zero wind", [](StormAnswers& a) { a.windSpeed = 0; }, ErrorReason::notPositive,
       Question::windSpeed},
      {"zero duration", [](StormAnswers& a) { a.durationHours = 0; }, ErrorReason::notPositive,
       Question::durationHours},
      {"deep water, light wind",
       [](StormAnswers& a) {
         a.depth = 300;
         a.windSpeed = 2;
       },
       ErrorReason::deepWaterLightWind, Question::offshoreDepth},
      {"angle 95", [](StormAnswers& a) { a.angleDegrees = 95; }, ErrorReason::angleBeyondNormal,
       Question::angleDegrees},
      {"angle 90", [](StormAnswers& a) { a.angleDegrees = 90; }, ErrorReason::angleBeyondNormal,
       Question::angleDegrees},
      {"local depth 0", [](StormAnswers& a) { a.localDepth = 0; }, ErrorReason::notPositive,
       Question::localDepth},
  };
  for (const Case& c : cases) {
    StormAnswers answers = siStorm(5);
    c.change(answers);
    const StormValues values = runStorm(answers);
    const ErrorCause cause = findErrorCause(answers, values);
    EXPECT_EQ(cause.reason, c.reason) << c.name << ": " << values.error;
    if (c.reason != ErrorReason::none) {
      EXPECT_EQ(cause.answer, c.answer) << c.name;
    }
  }
}

}  // namespace

}  // namespace littoral
