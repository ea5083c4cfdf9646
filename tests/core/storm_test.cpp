#include "storm.hpp"

#include <cmath>

#include <gtest/gtest.h>

namespace {

// g, depth, fetch unit and fetch, speed unit and speed, duration, Rt, RL, local depth, angle.
StormAnswers siStorm(float durationHours) {
  StormAnswers answers;
  answers.g = 9.81f;
  answers.depth = 10;
  answers.fetchUnit = 4;
  answers.fetch = 50;
  answers.speedUnit = 2;
  answers.windSpeed = 20;
  answers.durationHours = durationHours;
  answers.rt = 1;
  answers.rl = 1;
  answers.localDepth = 3;
  answers.angleDegrees = 30;
  return answers;
}

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
