#include "climate.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "huge_pages.hpp"
#include "number_text.hpp"
#include "storm_columns.hpp"
#include "worker_pool.hpp"

namespace littoral {
const std::vector<std::string_view> kClimateOptionNames = {
    "shore_normal", "local_depth", "depth",    "beach_slope", "settling",   "rt",
    "rl",           "units",       "gravity",  "speed_unit",  "fetch_unit", "height",
    "threshold",    "turn",        "interval", "sectors"};

namespace {

constexpr double kDegree = std::numbers::pi / 180;

// Reads the options of the settings one by one, keeping the first error.
class OptionReader {
 public:
  OptionReader(const std::map<std::string, std::string, std::less<>>& options,
               const std::function<std::string(std::string_view)>& name, std::string& error)
      : options_(options), name_(name), error_(error) {}

  const std::string* text(std::string_view option) const {
    const auto found = options_.find(option);
    return found == options_.end() ? nullptr : &found->second;
  }

  bool fail(std::string_view option, const std::string& complaint) {
    if (error_.empty()) error_ = name_(option) + ": " + complaint;
    return false;
  }

  bool failValue(std::string_view option, const char* complaint) {
    return fail(option, "\"" + *text(option) + "\" " + complaint);
  }

  template <class Real>
  bool real(std::string_view option, Real& value) {
    const std::string* given = text(option);
    if (given == nullptr) return false;
    if (readRealText(*given, value) == NumberReading::number && std::isfinite(value)) return true;
    return failValue(option, "is not a number");
  }

  template <class Real>
  void optional(std::string_view option, std::optional<Real>& value) {
    Real read = 0;
    if (real(option, read)) value = read;
  }

  template <class Real>
  void required(std::string_view option, Real& value) {
    if (text(option) == nullptr) {
      if (error_.empty()) error_ = name_(option) + " is required";
      return;
    }
    real(option, value);
  }

  template <class Unit>
  void unit(std::string_view option, Unit read, std::int32_t& value, const char* names) {
    const std::string* given = text(option);
    if (given == nullptr) return;
    const std::optional<std::int32_t> choice = read(*given);
    if (choice) value = *choice;
    if (!choice) fail(option, "\"" + *given + "\" is not one of " + names);
  }

  bool ok() const { return error_.empty(); }

 private:
  const std::map<std::string, std::string, std::less<>>& options_;
  const std::function<std::string(std::string_view)>& name_;
  std::string& error_;
};

// An angle in (-180, 180], without a negative zero. The IEEE remainder is exact.
double wrapAngle(double degrees) {
  const double wrapped = std::remainder(degrees, 360.0);
  return wrapped == -180 ? 180 : wrapped + 0.0;
}

double circularDistance(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

// Whether a wind from a direction blows onshore (less than 90 degrees from the shore normal)
// over a fetch (the fetch table's row for it has one); remembered for the whole degrees from 0
// to 359, which most records give.
class OnshoreDirections {
 public:
  OnshoreDirections(const FetchTable& fetch, double shoreNormal)
      : fetch_(fetch), shoreNormal_(shoreNormal) {}

  bool blowsOnshore(double direction) {
    const bool wholeDegree =
        direction >= 0 && direction < 360 && direction == std::floor(direction);
    if (!wholeDegree) return find(direction);
    std::int8_t& known = wholeDegrees_[std::size_t(direction)];
    if (known < 0) known = find(direction) ? 1 : 0;
    return known == 1;
  }

 private:
  bool find(double direction) const {
    return std::fabs(wrapAngle(direction - shoreNormal_)) < 90 &&
           fetch_.nearest(direction).fetch > 0;
  }

  const FetchTable& fetch_;
  double shoreNormal_;
  std::array<std::int8_t, 360> wholeDegrees_ = filledWith(-1);  // -1 until asked

  static std::array<std::int8_t, 360> filledWith(std::int8_t value) {
    std::array<std::int8_t, 360> values;
    values.fill(value);
    return values;
  }
};

// The most frequent step between consecutive records, the smaller of two as frequent; an hour
// for fewer than two records.
std::int64_t recordInterval(const WindRecords& records) {
  if (records.size() < 2) return 3600;
  std::unordered_map<std::int64_t, std::size_t> counts;
  for (std::size_t i = 1; i < records.size(); ++i) {
    ++counts[records.instants[i] - records.instants[i - 1]];
  }
  std::int64_t best = 0;
  std::size_t bestCount = 0;
  for (const auto& [step, count] : counts) {
    if (count > bestCount || (count == bestCount && step < best)) {
      best = step;
      bestCount = count;
    }
  }
  return best;
}

// The direction of the mean of the records' unit vectors, rounded to 1e-6 degree, in [0, 360).
double meanDirection(const WindRecords& records, std::size_t first, std::size_t count) {
  double east = 0;
  double north = 0;
  for (std::size_t i = first; i < first + count; ++i) {
    east += std::sin(records.directions[i] * kDegree);
    north += std::cos(records.directions[i] * kDegree);
  }
  double degrees = std::atan2(east, north) / kDegree;
  if (degrees < 0) degrees += 360;
  degrees = std::round(degrees * 1e6) / 1e6;
  if (degrees >= 360) degrees -= 360;
  return degrees + 0.0;  // no negative zero
}

// The storm's answers: the table's input columns for the storm's records.
StormAnswers stormAnswers(const WindRecords& records, const FetchTable& fetch,
                          const ClimateSettings& settings, std::int64_t intervalSeconds,
                          double speedFactor, ClimateStorm& storm) {
  double speedSum = 0;
  for (std::size_t i = storm.first; i < storm.first + storm.records; ++i) {
    speedSum += records.speeds[i] * speedFactor;
  }
  storm.direction = meanDirection(records, storm.first, storm.records);
  const FetchRow* row = &fetch.nearest(storm.direction);
  if (!(row->fetch > 0)) row = &fetch.nearest(records.directions[storm.first]);

  StormAnswers answers;
  answers.g = settings.gravity;
  answers.depth = row->depth ? *row->depth : settings.depth.value_or(0.0f);
  answers.fetchUnit = settings.fetchUnit;
  answers.fetch = row->fetch;
  answers.speedUnit = settings.speedUnit;
  answers.windSpeed = static_cast<float>(speedSum / double(storm.records));
  answers.durationHours = static_cast<float>(storm.hours(intervalSeconds));
  answers.rt = settings.rt;
  answers.rl = settings.rl;
  answers.localDepth = settings.localDepth;
  answers.angleDegrees = static_cast<float>(wrapAngle(storm.direction - settings.shoreNormal));
  answers.beachSlope = settings.beachSlope;
  answers.settlingVelocity = settings.settlingVelocity;
  return answers;
}

// Runs the storms on `jobs` threads, a chunk at a time, the storms of a chunk together.
void computeStorms(std::vector<ClimateStorm>& storms, unsigned jobs) {
  runInChunks(storms.size(), 256, jobs, [&storms](std::size_t first, std::size_t last) {
    std::vector<StormAnswers> answers;
    answers.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) answers.push_back(storms[i].answers);
    std::vector<StormValues> values(answers.size());
    runStorms(answers, values);
    for (std::size_t i = first; i < last; ++i) storms[i].values = std::move(values[i - first]);
  });
}

}  // namespace

bool readClimateSettings(const std::map<std::string, std::string, std::less<>>& options,
                         const std::function<std::string(std::string_view)>& name,
                         ClimateSettings& settings, std::string& error) {
  error.clear();
  OptionReader read(options, name, error);
  for (const auto& [option, text] : options) {
    if (std::find(kClimateOptionNames.begin(), kClimateOptionNames.end(), option) ==
        kClimateOptionNames.end()) {
      read.fail(option, "not an option");
    }
  }
  read.required("shore_normal", settings.shoreNormal);
  read.required("local_depth", settings.localDepth);
  read.optional("depth", settings.depth);
  read.optional("beach_slope", settings.beachSlope);
  read.optional("settling", settings.settlingVelocity);
  read.real("rt", settings.rt);
  read.real("rl", settings.rl);
  if (const std::string* units = read.text("units")) {
    if (*units == "us") settings.gravity = 32.2f;
    if (*units != "si" && *units != "us") read.fail("units", "\"" + *units + "\" is not si or us");
  }
  read.real("gravity", settings.gravity);
  read.unit("speed_unit", readSpeedUnit, settings.speedUnit, "ft/s, m/s, mph, km/h, knots");
  read.unit("fetch_unit", readFetchUnit, settings.fetchUnit, "ft, m, miles, km, kml");
  if (read.real("height", settings.anemometerHeight) && !(settings.anemometerHeight > 0)) {
    read.failValue("height", "is not a height above the water");
  }
  settings.threshold = 5 / double(siSpeedFactor(settings.speedUnit));
  read.real("threshold", settings.threshold);
  if (read.real("turn", settings.turn) && !(settings.turn >= 0 && settings.turn <= 180)) {
    read.failValue("turn", "is not 0 to 180 degrees");
  }
  double minutes = 0;
  if (read.real("interval", minutes)) {
    if (minutes >= 1 && minutes <= 1e6 && minutes == std::trunc(minutes)) {
      settings.intervalSeconds = std::int64_t(minutes) * 60;
    } else {
      read.failValue("interval", "is not a whole number of minutes");
    }
  }
  double sectors = 0;
  if (read.real("sectors", sectors)) {
    if (sectors >= 1 && sectors <= 360 && sectors == std::trunc(sectors)) {
      settings.sectors = std::int32_t(sectors);
    } else {
      read.failValue("sectors", "is not a whole number from 1 to 360");
    }
  }
  return read.ok();
}

bool checkFetchDepths(const FetchTable& fetch, const ClimateSettings& settings,
                      std::string& error) {
  if (settings.depth) return true;
  for (const FetchRow& row : fetch.rows) {
    if (row.fetch > 0 && !row.depth) {
      char direction[32];
      const auto end = std::to_chars(direction, direction + sizeof direction, row.direction).ptr;
      error = "no depth for the direction " + std::string(direction, end) +
              " of the fetch table: give its depth or the depth option";
      return false;
    }
  }
  return true;
}

double ClimateStorm::hours(std::int64_t intervalSeconds) const {
  return double(records) * double(intervalSeconds) / 3600;
}

ClimateRun runClimate(const WindRecords& records, const FetchTable& fetch,
                      const ClimateSettings& settings, unsigned jobs) {
  ClimateRun run;
  run.intervalSeconds = settings.intervalSeconds.value_or(recordInterval(records));
  // The wind at 10 m by the 1/7 power law.
  const double speedFactor = std::pow(10 / settings.anemometerHeight, 1.0 / 7);
  const std::size_t count = records.size();
  run.active.resize(count);
  OnshoreDirections onshore(fetch, settings.shoreNormal);
  for (std::size_t i = 0; i < count; ++i) {
    run.active[i] = records.valid(i) && records.speeds[i] * speedFactor >= settings.threshold &&
                    onshore.blowsOnshore(records.directions[i]);
  }
  run.storms.reserve(std::size_t(std::count(run.active.begin(), run.active.end(), 1)));
  adviseHugePages(run.storms);
  for (std::size_t i = 0; i < count;) {
    if (!run.active[i]) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < count && run.active[end] &&
           records.instants[end] - records.instants[end - 1] == run.intervalSeconds &&
           circularDistance(records.directions[end], records.directions[i]) <= settings.turn) {
      ++end;
    }
    ClimateStorm storm;
    storm.first = i;
    storm.records = end - i;
    storm.answers = stormAnswers(records, fetch, settings, run.intervalSeconds, speedFactor, storm);
    run.storms.push_back(storm);
    i = end;
  }
  computeStorms(run.storms, jobs);
  for (const ClimateStorm& storm : run.storms) run.stormsWithError += !storm.values.error.empty();
  return run;
}

void TransportSums::add(const ClimateStorm& storm, std::int64_t intervalSeconds) {
  ++storms;
  stormHours += storm.hours(intervalSeconds);
  const StormValues& values = storm.values;
  const bool transported = values.error.empty() && values.has(StormValue::stormTransport);
  const double transport = transported ? double(values.get(StormValue::stormTransport)) : 0;
  if (storm.clamped()) {
    ++clampedStorms;
    clampedNet += transport;
    return;
  }
  if (!transported) return;
  const double transportM3 = double(values.get(StormValue::stormTransportM3));
  net += transport;
  gross += std::fabs(transport);
  if (transport > 0) left += transport;
  if (transport < 0) right -= transport;
  netM3 += transportM3;
  grossM3 += std::fabs(transportM3);
}

std::vector<YearSummary> summarizeYears(const WindRecords& records, const ClimateRun& run) {
  std::vector<YearSummary> years;
  if (records.size() > 0) {
    const auto [first, last] = std::minmax_element(records.years.begin(), records.years.end());
    for (std::int32_t year = *first; year <= *last; ++year) {
      years.emplace_back().year = std::to_string(year);
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
      YearSummary& row = years[std::size_t(records.years[i] - *first)];
      ++row.records;
      row.validRecords += records.valid(i);
      row.activeRecords += run.active[i] != 0;
    }
    for (const ClimateStorm& storm : run.storms) {
      years[std::size_t(records.years[storm.first] - *first)].sums.add(storm, run.intervalSeconds);
    }
  }
  YearSummary all;
  all.year = "all";
  for (std::size_t i = 0; i < records.size(); ++i) {
    ++all.records;
    all.validRecords += records.valid(i);
    all.activeRecords += run.active[i] != 0;
  }
  for (const ClimateStorm& storm : run.storms) all.sums.add(storm, run.intervalSeconds);
  years.push_back(all);
  return years;
}

std::vector<SectorSummary> summarizeSectors(const ClimateRun& run, std::int32_t sectors) {
  std::vector<SectorSummary> rows(static_cast<std::size_t>(sectors));
  const double width = 360.0 / sectors;
  for (std::size_t k = 0; k < rows.size(); ++k) rows[k].centre = double(k) * width;
  for (const ClimateStorm& storm : run.storms) {
    // Sector k covers [k width - width/2, k width + width/2).
    auto k = static_cast<std::int64_t>(std::floor((storm.direction + width / 2) / width));
    k %= sectors;
    rows[std::size_t(k)].sums.add(storm, run.intervalSeconds);
  }
  return rows;
}

}  // namespace littoral
