#include "storm_text.hpp"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "columns.hpp"
#include "si_storm.hpp"

namespace littoral {
namespace {

// The worked SI storm with the transport, at a local depth clear of the surf zone.
StormAnswers cleanSiStorm() {
  StormAnswers answers = siStorm(5);
  answers.localDepth = 5;
  answers.settlingVelocity = 1.5f;
  return answers;
}

// The texts a reader meets, one storm changed in one answer at a time; the numbers in them are
// the answers as given and the values the storm printed.
TEST(StormText, WarningsAndErrorCausesNameTheAnswerAndWhatWouldWork) {
  struct Case {
    void (*change)(StormAnswers&);
    const char* warnings;
    const char* cause;
  };
  const Case cases[] = {
      {[](StormAnswers&) {}, "", ""},
      {[](StormAnswers& a) { a.angleDegrees = 95; },
       "angle-clamped: the deep-water sine was 1 or more in size and became +0.99",
       "angle_deg 95: the wave must come from less than 90 degrees of the shore normal"},
      {[](StormAnswers& a) { a.g = 30; }, "",
       "gravity 30: above 30 is US units, below 30 SI units"},
      {[](StormAnswers& a) { a.fetch = -5; },
       "out-of-range-fetch: -5 km is outside 0.1 to 1000 km, the range the method was built for",
       "fetch -5: a fetch must be more than zero"},
      {[](StormAnswers& a) { a.localDepth = 12; },
       "local-deeper-than-offshore: the local depth 12 m is more than the offshore depth 10 m", ""},
      {[](StormAnswers& a) { a.angleDegrees = -89; },
       "angle-clamped: the deep-water sine was 1 or more in size and became +0.99, so the "
       "transport runs the opposite way to what the negative angle implies",
       ""},
      {[](StormAnswers& a) { a.settlingVelocity = 40; },
       "out-of-range-settling_velocity: 40 cm/s is outside 0.1 to 30 cm/s, the range the "
       "method was built for",
       ""},
  };
  for (const Case& c : cases) {
    StormAnswers answers = cleanSiStorm();
    c.change(answers);
    const StormValues values = runStorm(answers);
    EXPECT_EQ(warningsText(answers, values), c.warnings);
    EXPECT_EQ(errorCauseText(answers, values), c.cause) << values.error;
  }
}

// A local depth inside the surf zone names both depths; the surf depth is the one printed.
TEST(StormText, InsideTheSurfZoneShowsTheSurfDepth) {
  StormAnswers answers = cleanSiStorm();
  answers.localDepth = 1;
  const StormValues values = runStorm(answers);
  char surfDepth[16];
  std::snprintf(surfDepth, sizeof surfDepth, "%.4g", double(values.get(StormValue::surfDepth)));
  const std::string expected =
      "inside-surf-zone: the local depth 1 m is less than the approximate surf depth " +
      std::string(surfDepth) + " m";
  EXPECT_EQ(warningsText(answers, values), expected);
}

// Every column is listed once, inputs first, with a unit in each system.
TEST(Columns, CatalogListsEveryColumnOnceWithUnits) {
  const std::string csv = columnsCsv();
  EXPECT_EQ(csv.rfind("column,si_unit,us_unit,console_line,description\ngravity,m/s2,ft/s2,", 0),
            0u);
  std::size_t rows = 0;
  for (const char c : csv) rows += c == '\n';
  EXPECT_EQ(rows, 1 + inputColumnInfo().size() + resultColumns().size());
  EXPECT_NE(csv.find("\nfetch,fetch_unit,fetch_unit,"), std::string::npos);
  EXPECT_NE(csv.find("\nhs,m,ft,Hs and Ts,"), std::string::npos);
  EXPECT_NE(csv.find("\ndensity,kg/m3,slug/ft3,Density=,"), std::string::npos);
  EXPECT_NE(csv.find("\nclass_flux_1,W/m,ft.lbf/s/ft,"), std::string::npos);
}

}  // namespace

}  // namespace littoral
