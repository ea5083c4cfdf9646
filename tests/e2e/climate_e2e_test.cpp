// `littoral climate` on wind records built to meet each rule of the method: the storms expected
// are worked out by hand from the rules, and the storms' results are those of `littoral table`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.hpp"
#include "scratch_directory.hpp"

namespace littoral {
namespace {

// A CSV text without quoted fields, as rows of fields.
using Table = std::vector<std::vector<std::string>>;

Table splitCsv(const std::string& text) {
  Table rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
         start = comma + 1) {
      fields.push_back(line.substr(start, comma - start));
    }
    fields.push_back(line.substr(start));
    rows.push_back(fields);
  }
  return rows;
}

// The field of a row by its column's name in the table's header.
std::string field(const Table& table, std::size_t row, const std::string& name) {
  for (std::size_t i = 0; i < table[0].size(); ++i) {
    if (table[0][i] == name) return table[row][i];
  }
  ADD_FAILURE() << "no column " << name;
  return {};
}

// The site of most cases: a shore facing north, sea from the west through north to the east.
const char* const kFetch =
    "direction,fetch,depth\n"
    "0,40,10\n"
    "90,20,\n"  // the default depth, 8
    "180,0,\n"
    "270,25,\n";
const std::vector<std::string> kSite = {"--shore-normal", "0", "--local-depth", "3",
                                        "--depth",        "8", "--settling",    "1.5"};

// The site's options with some replaced or added ("--option", "value", ...).
std::vector<std::string> site(const std::vector<std::string>& changes) {
  std::vector<std::string> options = kSite;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const bool valued = i + 1 < changes.size() && changes[i + 1].rfind("--", 0) != 0;
    const auto at = std::find(options.begin(), options.end(), changes[i]);
    if (at != options.end() && valued) {
      *(at + 1) = changes[i + 1];
    } else {
      options.push_back(changes[i]);
      if (valued) options.push_back(changes[i + 1]);
    }
    i += valued ? 1 : 0;
  }
  return options;
}

// Records of 2016-01-01 from "hh:mm,speed,direction" lines.
std::string day(std::initializer_list<const char*> lines) {
  std::string text = "time,wind_speed,wind_direction\n";
  for (const char* line : lines) text += std::string("2016-01-01 ") + line + "\n";
  return text;
}

struct Climate {
  CommandOutcome run;
  Table storms;  // none when no file was written
  std::string summary;
  std::string sectors;
};

// Runs the command on the records and fetch table in a scratch directory, with the summaries.
Climate runClimate(const std::string& winds, const std::string& fetch,
                   std::vector<std::string> options) {
  ScratchDirectory scratch;
  scratch.write("winds.csv", winds);
  scratch.write("fetch.csv", fetch);
  std::vector<std::string> arguments = {"climate",   "winds.csv", "--fetch",          "fetch.csv",
                                        "--summary", "years.csv", "--sector-summary", "sectors.csv",
                                        "-o",        "storms.csv"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  CommandOptions where;
  where.directory = scratch.path();
  Climate climate{runCommand(arguments, where), {}, {}, {}};
  if (scratch.holds("storms.csv")) climate.storms = splitCsv(scratch.contentsOf("storms.csv"));
  climate.summary = scratch.contentsOf("years.csv");
  climate.sectors = scratch.contentsOf("sectors.csv");
  return climate;
}

// A storm as the rules make it: its records and the storm table's inputs that follow.
struct Storm {
  const char* start;
  const char* end;
  const char* records;
  const char* direction;  // wind_direction, and angle_deg with the shore facing north
  const char* speed;
  const char* hours;
  const char* fetch;
  const char* depth;
  const char* angle = nullptr;  // when the shore does not face north
};

struct Case {
  const char* rule;
  std::string winds;
  std::vector<Storm> storms;
  std::vector<std::string> options = {};
  const char* fetch = kFetch;
};

const Case kCases[] = {
    {"a gap ends a storm",
     day({"00:00,10,0", "01:00,10,0", "02:00,10,0", "04:00,12,0", "05:00,12,0"}),
     {{"2016-01-01 00:00", "2016-01-01 02:00", "3", "0", "10", "3", "40", "10"},
      {"2016-01-01 04:00", "2016-01-01 05:00", "2", "0", "12", "2", "40", "10"}}},
    {"a missing value ends a storm, whichever way it is missing",
     day({"00:00,10,0", "01:00,,0", "02:00,10,0", "03:00,999,0", "04:00,10,MM", "05:00,NA,0",
          "06:00,10,NaN", "07:00,10,0"}),
     {{"2016-01-01 00:00", "2016-01-01 00:00", "1", "0", "10", "1", "40", "10"},
      {"2016-01-01 02:00", "2016-01-01 02:00", "1", "0", "10", "1", "40", "10"},
      {"2016-01-01 07:00", "2016-01-01 07:00", "1", "0", "10", "1", "40", "10"}},
     {"--missing", "999,MM"}},
    // 50 is 50 degrees from the storm's first direction: it starts the next storm. The mean
    // of 0 and 30 is 15; 55 is nearer 90 than 0 in the fetch table.
    {"a turn beyond the limit starts the next storm",
     day({"00:00,10,0", "01:00,10,30", "02:00,10,50", "03:00,10,60"}),
     {{"2016-01-01 00:00", "2016-01-01 01:00", "2", "15", "10", "2", "40", "10"},
      {"2016-01-01 02:00", "2016-01-01 03:00", "2", "55", "10", "2", "20", "8"}}},
    {"a turn of exactly the limit stays in the storm",
     day({"00:00,10,0", "01:00,10,45"}),
     {{"2016-01-01 00:00", "2016-01-01 01:00", "2", "22.5", "10", "2", "40", "10"}}},
    {"a wind below the threshold ends a storm; the threshold itself is active",
     day({"00:00,10,0", "01:00,4.9,0", "02:00,5,0", "03:00,5,0"}),
     {{"2016-01-01 00:00", "2016-01-01 00:00", "1", "0", "10", "1", "40", "10"},
      {"2016-01-01 02:00", "2016-01-01 03:00", "2", "0", "5", "2", "40", "10"}}},
    {"a wind along or off the shore ends a storm",
     day({"00:00,10,0", "01:00,10,90", "02:00,10,0", "03:00,10,-90.5", "04:00,10,0"}),
     {{"2016-01-01 00:00", "2016-01-01 00:00", "1", "0", "10", "1", "40", "10"},
      {"2016-01-01 02:00", "2016-01-01 02:00", "1", "0", "10", "1", "40", "10"},
      {"2016-01-01 04:00", "2016-01-01 04:00", "1", "0", "10", "1", "40", "10"}}},
    {"350 and 10 degrees are 20 degrees apart, with a mean of north",
     day({"00:00,10,350", "01:00,12,10"}),
     {{"2016-01-01 00:00", "2016-01-01 01:00", "2", "0", "11", "2", "40", "10"}}},
    // 45 is as near 90 as 0: the row listed first; 44 is nearer 0. The shore faces 45.
    {"a tie in the fetch table takes the row listed first",
     day({"00:00,10,45", "02:00,10,44", "03:00,10,44"}),
     {{"2016-01-01 00:00", "2016-01-01 00:00", "1", "45", "10", "1", "30", "9", "0"},
      {"2016-01-01 02:00", "2016-01-01 03:00", "2", "44", "10", "2", "10", "11", "-1"}},
     {"--shore-normal", "45"},
     "direction,fetch,depth\n90,30,9\n0,10,11\n"},
    // The mean of 10 and 80 points at land (45): the fetch of the first record's direction.
    {"a storm whose mean direction points at land takes its first record's fetch",
     day({"00:00,10,10", "01:00,10,80"}),
     {{"2016-01-01 00:00", "2016-01-01 01:00", "2", "45", "10", "2", "50", "10", "0"}},
     {"--shore-normal", "45", "--turn", "90"},
     "direction,fetch,depth\n0,50,10\n45,0,10\n90,30,10\n"},
    {"ten-minute records make storms of ten minutes a record",
     day({"00:00,10,0", "00:10,10,0", "00:20,10,0", "00:40,10,0"}),
     {{"2016-01-01 00:00", "2016-01-01 00:20", "3", "0", "10", "0.5", "40", "10"},
      {"2016-01-01 00:40", "2016-01-01 00:40", "1", "0", "10", "0.16666667", "40", "10"}}},
    // At 20 m the wind at 10 m is (1/2)^(1/7) = 0.9057237 of it: 10 gives 9.057237, 12 gives
    // 10.868684 and 5.5 gives 4.98, below 5.
    {"an anemometer at 20 m",
     day({"00:00,10,0", "01:00,5.5,0", "02:00,12,0"}),
     {{"2016-01-01 00:00", "2016-01-01 00:00", "1", "0", "9.057237", "1", "40", "10"},
      {"2016-01-01 02:00", "2016-01-01 02:00", "1", "0", "10.868684", "1", "40", "10"}},
     {"--height", "20"}},
    // Midnight at +01:00 and 00:00Z are an hour apart.
    {"times with an offset are in order by the instant and kept as written",
     "time,wind_speed,wind_direction\n2016-01-01T00:00:00+01:00,10,0\n2016-01-01T00:00:00Z,10,0\n",
     {{"2016-01-01T00:00:00+01:00", "2016-01-01T00:00:00Z", "2", "0", "10", "2", "40", "10"}}},
    {"sorting puts records in order and drops exact repeats",
     day({"02:00,10,0", "00:00,10,0", "01:00,10,0", "01:00,10,0"}),
     {{"2016-01-01 00:00", "2016-01-01 02:00", "3", "0", "10", "3", "40", "10"}},
     {"--sort"}},
    // The threshold of 5 m/s is 9.71 knots.
    {"other column names, and a threshold in knots",
     "when,kn,from\n2016-01-01 00:00,20,0\n2016-01-01 01:00,9.7,0\n2016-01-01 02:00,9.8,0\n",
     {{"2016-01-01 00:00", "2016-01-01 00:00", "1", "0", "20", "1", "40", "10"},
      {"2016-01-01 02:00", "2016-01-01 02:00", "1", "0", "9.8", "1", "40", "10"}},
     {"--time-column", "when", "--speed-column", "kn", "--direction-column", "from", "--speed-unit",
      "knots"}},
    {"a shore normal of 360 is north, and an onshore wind from north has no negative angle",
     day({"00:00,10,0", "01:00,10,360"}),
     {{"2016-01-01 00:00", "2016-01-01 01:00", "2", "0", "10", "2", "40", "10"}},
     {"--shore-normal", "360"}},
    {"a record with no active hour gives a table of no storms",
     day({"00:00,3,0", "01:00,10,180", "02:00,,"}),
     {}},
};

TEST(Climate, StormsFollowTheRules) {
  for (const Case& rule : kCases) {
    const Climate climate = runClimate(rule.winds, rule.fetch, site(rule.options));
    SCOPED_TRACE(rule.rule);
    ASSERT_EQ(climate.run.exitStatus, 0) << climate.run.errors;
    ASSERT_EQ(climate.storms.size(), rule.storms.size() + 1);
    for (std::size_t i = 0; i < rule.storms.size(); ++i) {
      const Storm& storm = rule.storms[i];
      const std::size_t row = i + 1;
      EXPECT_EQ(field(climate.storms, row, "storm"), std::to_string(row));
      EXPECT_EQ(field(climate.storms, row, "start"), storm.start);
      EXPECT_EQ(field(climate.storms, row, "end"), storm.end);
      EXPECT_EQ(field(climate.storms, row, "records"), storm.records);
      EXPECT_EQ(field(climate.storms, row, "wind_direction"), storm.direction);
      EXPECT_EQ(field(climate.storms, row, "wind_speed"), storm.speed);
      EXPECT_EQ(field(climate.storms, row, "duration_h"), storm.hours);
      EXPECT_EQ(field(climate.storms, row, "fetch"), storm.fetch);
      EXPECT_EQ(field(climate.storms, row, "depth"), storm.depth);
      EXPECT_EQ(field(climate.storms, row, "angle_deg"),
                storm.angle != nullptr ? storm.angle : storm.direction);
    }
  }
}

// Winds that vary from hour to hour over two weeks, onshore from both sides and calm at times.
std::string variedWinds() {
  std::string text = "time,wind_speed,wind_direction\n";
  for (int hour = 0; hour < 14 * 24; ++hour) {
    const double speed = 3 + 14 * std::fabs(std::sin(hour * 0.13)) + (hour % 7);
    const double direction = std::fmod(360 + 100 * std::sin(hour * 0.05) + (hour % 5) * 3, 360);
    char line[96];
    std::snprintf(line, sizeof line, "2016-03-%02d %02d:00,%.2f,%.1f\n", 1 + hour / 24, hour % 24,
                  speed, direction);
    text += line;
  }
  return text;
}

TEST(Climate, StormResultsAreThoseOfTheTableOnTheStormsInputs) {
  ScratchDirectory scratch;
  scratch.write("winds.csv", variedWinds());
  scratch.write("fetch.csv", kFetch);
  CommandOptions where;
  where.directory = scratch.path();
  std::vector<std::string> arguments = {
      "climate", "winds.csv", "--fetch", "fetch.csv", "--beach-slope",
      "0.02",    "--rl",      "1.1",     "-o",        "storms.csv"};
  arguments.insert(arguments.end(), kSite.begin(), kSite.end());
  const CommandOutcome run = runCommand(arguments, where);
  ASSERT_EQ(run.exitStatus, 0) << run.errors;
  const std::string stormText = scratch.contentsOf("storms.csv");
  const Table storms = splitCsv(stormText);
  ASSERT_GT(storms.size(), 20u);
  EXPECT_EQ(std::vector<std::string>(storms[0].begin(), storms[0].begin() + 5),
            (std::vector<std::string>{"storm", "start", "end", "records", "wind_direction"}));

  // The storm table's input columns are those from gravity to settling_velocity.
  std::size_t from = 0;
  std::size_t to = 0;
  for (std::size_t i = 0; i < storms[0].size(); ++i) {
    if (storms[0][i] == "gravity") from = i;
    if (storms[0][i] == "settling_velocity") to = i + 1;
  }
  std::string inputs;
  for (const auto& row : storms) {
    for (std::size_t i = from; i < to; ++i) inputs += (i > from ? "," : "") + row[i];
    inputs += "\n";
  }
  scratch.write("inputs.csv", inputs);
  const CommandOutcome table = runCommand({"table", "inputs.csv", "-o", "results.csv"}, where);
  ASSERT_EQ(table.exitStatus, 0) << table.errors;
  // Each line of the table's results is the storm's line without its first five columns.
  std::istringstream stormLines(stormText);
  std::istringstream tableLines(scratch.contentsOf("results.csv"));
  std::string stormLine;
  std::string tableLine;
  std::size_t lines = 0;
  while (std::getline(stormLines, stormLine) && std::getline(tableLines, tableLine)) {
    std::size_t at = 0;
    for (int i = 0; i < 5; ++i) at = stormLine.find(',', at) + 1;
    EXPECT_EQ(stormLine.substr(at), tableLine);
    ++lines;
  }
  EXPECT_EQ(lines, storms.size());
  EXPECT_FALSE(std::getline(tableLines, tableLine));
}

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// Storm A (2016, 10 degrees) moves sand to the left, storm B (2016, 80 degrees) has a clamped
// sine, storm C (2017, 350 degrees) moves sand to the right. The last record is 2017 in UTC
// but 2016 as written.
TEST(Climate, SummariesSumByYearAsWrittenAndBySectorWithClampedStormsApart) {
  const std::string winds =
      "time,wind_speed,wind_direction\n"
      "2016-12-31T19:00:00Z,NA,10\n"
      "2016-12-31T20:00:00Z,15,10\n"
      "2016-12-31T21:00:00Z,15,10\n"
      "2016-12-31T22:00:00Z,15,80\n"
      "2016-12-31T23:00:00Z,15,80\n"
      "2017-01-01T00:00:00Z,15,350\n"
      "2017-01-01T01:00:00Z,15,350\n"
      "2017-01-01T02:00:00Z,15,180\n"
      "2016-12-31T23:30:00-05:00,NA,NA\n";
  const Climate climate = runClimate(winds, kFetch, kSite);
  ASSERT_EQ(climate.run.exitStatus, 0) << climate.run.errors;
  ASSERT_EQ(climate.storms.size(), 4u);
  const auto value = [&climate](std::size_t storm, const char* name) {
    return number(field(climate.storms, storm, name));
  };
  // The deep-water sine s1 co / c1 is 1 or more for B alone.
  for (std::size_t storm = 1; storm <= 3; ++storm) {
    EXPECT_EQ(value(storm, "s1") * value(storm, "co") / value(storm, "c1") >= 1, storm == 2);
  }
  const double a = value(1, "storm_transport");
  const double b = value(2, "storm_transport");
  const double c = value(3, "storm_transport");
  const double aM3 = value(1, "storm_transport_m3");
  const double cM3 = value(3, "storm_transport_m3");
  ASSERT_GT(a, 0);
  ASSERT_LT(c, 0);

  struct Sums {
    const char* first;  // the row's own columns
    double storms, hours, net, gross, left, right, netM3, grossM3;
  };
  const auto check = [](const std::vector<std::string>& row, std::size_t from, const Sums& sums) {
    const double expected[] = {sums.storms, sums.hours, sums.net,   sums.gross,
                               sums.left,   sums.right, sums.netM3, sums.grossM3};
    for (std::size_t i = 0; i < 8; ++i) {
      EXPECT_NEAR(number(row[from + i]), expected[i], 1e-6 * std::fabs(expected[i]))
          << sums.first << " column " << from + i;
    }
  };
  const Table years = splitCsv(climate.summary);
  ASSERT_EQ(years.size(), 4u);
  EXPECT_EQ(years[0][0] + "," + years[0][12], "year,clamped_storms");
  const std::vector<std::string> counts[] = {
      {"2016", "6", "4", "4"}, {"2017", "3", "3", "2"}, {"all", "9", "7", "6"}};
  const Sums sums[] = {{"2016", 2, 4, a, a, a, 0, aM3, aM3},
                       {"2017", 1, 2, c, -c, 0, -c, cM3, -cM3},
                       {"all", 3, 6, a + c, a - c, a, -c, aM3 + cM3, aM3 - cM3}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(std::vector<std::string>(years[i + 1].begin(), years[i + 1].begin() + 4), counts[i]);
    check(years[i + 1], 4, sums[i]);
    const bool clampedThatYear = i != 1;
    EXPECT_EQ(years[i + 1][12], clampedThatYear ? "1" : "0");
    EXPECT_NEAR(number(years[i + 1][13]), clampedThatYear ? b : 0, 1e-6 * std::fabs(b));
  }
  const Table sectors = splitCsv(climate.sectors);
  ASSERT_EQ(sectors.size(), 17u);
  EXPECT_EQ(sectors[1][0], "0");
  EXPECT_EQ(sectors[2][0], "22.5");
  check(sectors[1], 1, {"north", 2, 4, a + c, a - c, a, -c, aM3 + cM3, aM3 - cM3});
  check(sectors[5], 1, {"east", 1, 2, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(sectors[5][0], "90");
  // The account names the bearings of both ways along the shore.
  EXPECT_NE(climate.run.errors.find("toward 270.0"), std::string::npos) << climate.run.errors;
  EXPECT_NE(climate.run.errors.find("negative toward 90.0"), std::string::npos);
}

TEST(Climate, AStormWithAnErrorStaysInTheTableWithExitStatusOne) {
  // A zero local depth ends each storm with the calculator's math error.
  const Climate climate =
      runClimate(day({"00:00,10,0", "01:00,10,0"}), kFetch, site({"--local-depth", "0"}));
  EXPECT_EQ(climate.run.exitStatus, 1);
  ASSERT_EQ(climate.storms.size(), 2u);
  EXPECT_EQ(field(climate.storms, 1, "error"), "math error 6201: sqrt: DOMAIN error");
  EXPECT_NE(climate.run.errors.find("1 of 1 storms could not be computed"), std::string::npos)
      << climate.run.errors;
}

TEST(Climate, UnreadableRecordsAndOptionsAreRefusedNamingTheLine) {
  const struct {
    std::string winds;
    std::vector<std::string> options;
    const char* message;
  } kRefusals[] = {
      {day({"00:00,10,0", "02:00,10,0", "01:00,10,0"}), {}, "winds.csv: line 4: the time"},
      {day({"00:00,10,0", "00:00,10,0"}), {}, "line 3: the time \"2016-01-01 00:00\" repeats"},
      {day({"00:00,10,0", "00:00,11,0"}), {"--sort"}, "line 3: the time"},
      {day({"00:00,ten,0"}), {}, "line 2: wind_speed: \"ten\" is not a number"},
      {"time,wind_speed,wind_direction\n2016-02-30 00:00,10,0\n", {}, "line 2: time:"},
      {"time,speed,wind_direction\n", {}, "no column wind_speed"},
      {day({"00:00,10,0"}), {"--turn", "200"}, "--turn: \"200\" is not 0 to 180"},
      {day({"00:00,10,0"}), {"--speed-unit", "furlongs"}, "--speed-unit: \"furlongs\""},
  };
  for (const auto& refusal : kRefusals) {
    const Climate climate = runClimate(refusal.winds, kFetch, site(refusal.options));
    EXPECT_EQ(climate.run.exitStatus, 2) << refusal.message;
    EXPECT_NE(climate.run.errors.find("littoral climate: "), std::string::npos);
    EXPECT_NE(climate.run.errors.find(refusal.message), std::string::npos) << climate.run.errors;
    EXPECT_EQ(climate.storms.size(), 0u) << refusal.message;  // no STORMS file
  }
  // Without --shore-normal, and with a fetch table that lacks a depth and no --depth.
  const Climate noShore = runClimate(day({"00:00,10,0"}), kFetch, {"--local-depth", "3"});
  EXPECT_EQ(noShore.run.exitStatus, 2);
  EXPECT_NE(noShore.run.errors.find("--shore-normal is required"), std::string::npos);
  const Climate noDepth =
      runClimate(day({"00:00,10,0"}), kFetch, {"--shore-normal", "0", "--local-depth", "3"});
  EXPECT_EQ(noDepth.run.exitStatus, 2);
  EXPECT_NE(noDepth.run.errors.find("no depth for the direction 90"), std::string::npos);
}

TEST(Climate, StandardInputIsReadAsAFileIs) {
  ScratchDirectory scratch;
  scratch.write("fetch.csv", kFetch);
  CommandOptions where;
  where.directory = scratch.path();
  where.input = day({"00:00,10,0", "01:00,10,0"});
  std::vector<std::string> arguments = {"climate", "-", "--fetch", "fetch.csv"};
  arguments.insert(arguments.end(), kSite.begin(), kSite.end());
  const CommandOutcome run = runCommand(arguments, where);
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  const Table storms = splitCsv(run.out);
  ASSERT_EQ(storms.size(), 2u);
  EXPECT_EQ(field(storms, 1, "records"), "2");
}

}  // namespace

}  // namespace littoral
