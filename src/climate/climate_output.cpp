#include "climate_output.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "csv.hpp"
#include "storm_columns.hpp"
#include "storm_text.hpp"
#include "unit_names.hpp"

namespace littoral {
namespace {

// The sums' columns, as both summaries write them after their own.
constexpr const char* kSumColumns =
    "storms,storm_hours,net_yd3,gross_yd3,left_yd3,right_yd3,net_m3,gross_m3";

void appendCount(std::string& out, std::size_t count) { out += std::to_string(count); }

void appendSums(std::string& out, const TransportSums& sums) {
  appendCount(out, sums.storms);
  for (const double value :
       {sums.stormHours, sums.net, sums.gross, sums.left, sums.right, sums.netM3, sums.grossM3}) {
    out += ',';
    appendShortest(out, value);
  }
}

void appendOptional(std::string& out, const std::optional<float>& value) {
  if (value) appendShortest(out, *value);
}

std::string_view unitName(const std::array<std::string_view, 5>& names, std::int32_t unit) {
  return unit >= 1 && unit <= 5 ? names[std::size_t(unit - 1)] : std::string_view();
}

void appendInput(std::string& out, InputColumn column, const StormAnswers& answers) {
  switch (column) {
    case InputColumn::gravity:
      return appendShortest(out, answers.g);
    case InputColumn::depth:
      return appendShortest(out, answers.depth);
    case InputColumn::fetch:
      return appendShortest(out, answers.fetch);
    case InputColumn::fetchUnit:
      out += unitName(kFetchUnitNames, answers.fetchUnit);
      return;
    case InputColumn::windSpeed:
      return appendShortest(out, answers.windSpeed);
    case InputColumn::speedUnit:
      out += unitName(kSpeedUnitNames, answers.speedUnit);
      return;
    case InputColumn::durationHours:
      return appendShortest(out, answers.durationHours);
    case InputColumn::rt:
      return appendShortest(out, answers.rt);
    case InputColumn::rl:
      return appendShortest(out, answers.rl);
    case InputColumn::localDepth:
      return appendShortest(out, answers.localDepth);
    case InputColumn::angleDegrees:
      return appendShortest(out, answers.angleDegrees);
    case InputColumn::beachSlope:
      return appendOptional(out, answers.beachSlope);
    case InputColumn::settlingVelocity:
      return appendOptional(out, answers.settlingVelocity);
    case InputColumn::count:
      return;
  }
}

std::string number(double value, const char* format) {
  char text[64];
  const int length = std::snprintf(text, sizeof text, format, value);
  return std::string(text, std::size_t(length));
}

}  // namespace

void appendShortest(std::string& out, float value) { out += shortestText(value); }

void appendShortest(std::string& out, double value) {
  char text[32];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

bool writeStormTable(const WindRecords& records, const ClimateRun& run,
                     const std::function<bool(std::string_view)>& write) {
  constexpr std::size_t kPiece = 1 << 20;
  std::string out = "storm,start,end,records,wind_direction";
  for (const std::string_view name : kInputColumnNames) {
    out += ',';
    out += name;
  }
  for (const std::string& name : resultColumnNames()) out += "," + name;
  out += '\n';
  for (std::size_t i = 0; i < run.storms.size(); ++i) {
    const ClimateStorm& storm = run.storms[i];
    appendCount(out, i + 1);
    out += ',';
    appendCsvField(out, records.time(storm.first));
    out += ',';
    appendCsvField(out, records.time(storm.first + storm.records - 1));
    out += ',';
    appendCount(out, storm.records);
    out += ',';
    appendShortest(out, storm.direction);
    for (std::size_t column = 0; column < kInputColumnCount; ++column) {
      out += ',';
      appendInput(out, static_cast<InputColumn>(column), storm.answers);
    }
    appendResults(out, storm.answers, storm.values);
    out += '\n';
    if (out.size() >= kPiece) {
      if (!write(out)) return false;
      out.clear();
    }
  }
  return write(out);
}

std::string yearTableText(const std::vector<YearSummary>& years) {
  std::string out = "year,records,valid_records,active_records,";
  out += kSumColumns;
  out += ",clamped_storms,clamped_net_yd3\n";
  for (const YearSummary& row : years) {
    out += row.year + ",";
    appendCount(out, row.records);
    out += ',';
    appendCount(out, row.validRecords);
    out += ',';
    appendCount(out, row.activeRecords);
    out += ',';
    appendSums(out, row.sums);
    out += ',';
    appendCount(out, row.sums.clampedStorms);
    out += ',';
    appendShortest(out, row.sums.clampedNet);
    out += '\n';
  }
  return out;
}

std::string sectorTableText(const std::vector<SectorSummary>& sectors) {
  std::string out = "sector_deg,";
  out += kSumColumns;
  out += '\n';
  for (const SectorSummary& row : sectors) {
    appendShortest(out, row.centre);
    out += ',';
    appendSums(out, row.sums);
    out += '\n';
  }
  return out;
}

std::vector<std::string> climateAccount(const WindRecords& records, const ClimateRun& run,
                                        const std::vector<YearSummary>& years,
                                        const ClimateSettings& settings) {
  std::vector<std::string> lines;
  const YearSummary& all = years.back();
  if (records.size() == 0) {
    lines.emplace_back("the wind record has no records: no storms");
    return lines;
  }
  const double minutes = double(run.intervalSeconds) / 60;
  const double missing = 100 * double(all.records - all.validRecords) / double(all.records);
  std::string span = years.front().year;
  if (years.size() > 2) span += " to " + years[years.size() - 2].year;
  lines.push_back(span + ": " + std::to_string(all.records) + " records every " +
                  number(minutes, "%g") + " min, " + number(missing, "%.1f") +
                  " % of them missing; " + std::to_string(run.storms.size()) + " storms (" +
                  std::to_string(all.activeRecords) + " active records), " +
                  std::to_string(run.stormsWithError) + " with an error, " +
                  std::to_string(all.sums.clampedStorms) + " with a clamped angle");
  // A year of valid record: 365.25 days of records with speed and direction.
  const double validYears =
      double(all.validRecords) * double(run.intervalSeconds) / (365.25 * 86400);
  if (validYears <= 0 || settings.settlingVelocity == std::nullopt) {
    lines.emplace_back("no transport: give a settling velocity to compute it");
    return lines;
  }
  const TransportSums& sums = all.sums;
  lines.push_back("a year of valid record (" + number(validYears, "%.2f") + " years): net " +
                  number(sums.net / validYears, "%.1f") + " yd3 (" +
                  number(sums.netM3 / validYears, "%.1f") + " m3), gross " +
                  number(sums.gross / validYears, "%.1f") + " yd3 (" +
                  number(sums.grossM3 / validYears, "%.1f") + " m3)");
  // A positive transport goes to the left of one looking out to sea, a negative one to the right.
  const auto bearing = [&settings](double turn) {
    double degrees = std::fmod(settings.shoreNormal + turn, 360.0);
    if (degrees < 0) degrees += 360;
    return number(degrees, "%.1f");
  };
  std::string toward = "positive transport goes toward " + bearing(-90) +
                       " degrees true (to the left looking out to sea), negative toward " +
                       bearing(90) + "; the net ";
  if (sums.net == 0) {
    toward += "is zero";
  } else {
    toward += "goes toward " + bearing(sums.net > 0 ? -90 : 90);
  }
  lines.push_back(toward);
  return lines;
}

}  // namespace littoral
