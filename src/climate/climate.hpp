#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fetch_table.hpp"
#include "littoral/storm.hpp"
#include "wind_record.hpp"

// From a wind record to a site's storms, each computed as one storm of the calculator, and the
// storms' longshore transport by year and by direction sector.

namespace littoral {

struct ClimateSettings {
  // The site.
  double shoreNormal = 0;  // the bearing one faces on the beach looking out to sea, degrees true
  float localDepth = 0;
  std::optional<float> depth;  // the hindcast depth where the fetch table gives none
  std::optional<float> beachSlope;
  std::optional<float> settlingVelocity;  // cm/s; turns on the transport stage
  float rt = 1;
  float rl = 1;
  float gravity = 9.81f;
  std::int32_t speedUnit = 2;  // the menu's numbers: m/s
  std::int32_t fetchUnit = 4;  // km
  // The method.
  double anemometerHeight = 10;  // metres
  double threshold = 5;          // the least active speed at 10 m, in the speed unit
  double turn = 45;              // degrees
  std::optional<std::int64_t> intervalSeconds;
  std::int32_t sectors = 16;
};

// The names of the settings' options, as Python spells them ("shore_normal"); the command line
// spells them with hyphens ("--shore-normal").
extern const std::vector<std::string_view> kClimateOptionNames;

// Reads the settings from the texts of the options given (by their names), reading each number
// as the storm table reads a field. False with the error, the option named by `name`, when a
// required option is missing (shore_normal, local_depth) or one cannot be read or is out of
// range.
bool readClimateSettings(const std::map<std::string, std::string, std::less<>>& options,
                         const std::function<std::string(std::string_view)>& name,
                         ClimateSettings& settings, std::string& error);

// Checks that each direction of the fetch table with water has a depth, its own or the
// settings'; false with the error.
bool checkFetchDepths(const FetchTable& fetch, const ClimateSettings& settings, std::string& error);

struct ClimateStorm {
  std::size_t first = 0;    // the index of its first record
  std::size_t records = 0;  // consecutive records from the first
  double direction = 0;     // degrees true in [0, 360), rounded to 1e-6 degree
  StormAnswers answers;
  StormValues values;

  bool clamped() const { return values.warned(Warning::angleClamped); }
  double hours(std::int64_t intervalSeconds) const;
};

struct ClimateRun {
  std::int64_t intervalSeconds = 3600;
  std::vector<char> active;  // for each record: it belongs to a storm
  std::vector<ClimateStorm> storms;
  std::size_t stormsWithError = 0;
};

// Forms the storms of the record and computes each with runStorm, on `jobs` threads.
ClimateRun runClimate(const WindRecords& records, const FetchTable& fetch,
                      const ClimateSettings& settings, unsigned jobs);

// The transport of a set of storms. A storm whose deep-water sine was clamped is counted
// apart; one with an error or without transport adds nothing to the sums.
struct TransportSums {
  std::size_t storms = 0;
  double stormHours = 0;
  double net = 0;  // storm_transport, yd3
  double gross = 0;
  double left = 0;   // the positive transport
  double right = 0;  // the size of the negative transport
  double netM3 = 0;
  double grossM3 = 0;
  std::size_t clampedStorms = 0;
  double clampedNet = 0;

  void add(const ClimateStorm& storm, std::int64_t intervalSeconds);
};

struct YearSummary {
  std::string year;  // the calendar year, or "all"
  std::size_t records = 0;
  std::size_t validRecords = 0;  // with speed and direction
  std::size_t activeRecords = 0;
  TransportSums sums;
};

struct SectorSummary {
  double centre = 0;  // degrees true
  TransportSums sums;
};

// One row for each calendar year from the record's first to its last, and a last row "all".
std::vector<YearSummary> summarizeYears(const WindRecords& records, const ClimateRun& run);

// The storms by the sector of their direction: `sectors` sectors centred on north.
std::vector<SectorSummary> summarizeSectors(const ClimateRun& run, std::int32_t sectors);

}  // namespace littoral
