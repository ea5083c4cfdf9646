#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "climate.hpp"

// The texts of a climate run: the storm table, the summaries by year and by sector (CSV), and
// a short account for people.

namespace littoral {

// The storm table: storm, start, end, records, wind_direction, then the storm table's input
// columns and result columns. Each input real is the shortest decimal that reads back as the
// same single. The text is handed to `write` in pieces of whole rows; false when a write is.
bool writeStormTable(const WindRecords& records, const ClimateRun& run,
                     const std::function<bool(std::string_view)>& write);

// The summary by year (year, records, valid_records, active_records, then the sums) and by
// sector (sector_deg, then the sums); each real is the shortest decimal of its double.
std::string yearTableText(const std::vector<YearSummary>& years);
std::string sectorTableText(const std::vector<SectorSummary>& sectors);

// The lines of the account: the years covered, the share of missing values, the storms, the
// net and gross transport a year of valid record and the bearing the net transport goes to.
std::vector<std::string> climateAccount(const WindRecords& records, const ClimateRun& run,
                                        const std::vector<YearSummary>& years,
                                        const ClimateSettings& settings);

// The shortest decimal that reads back as the same value.
void appendShortest(std::string& out, float value);
void appendShortest(std::string& out, double value);

}  // namespace littoral
