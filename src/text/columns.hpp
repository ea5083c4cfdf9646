#pragma once

#include <span>
#include <string>
#include <string_view>

#include "littoral/storm.hpp"

// The columns of a storm table, with their units and meaning: the one list from which the
// table writes its header and rows, Python names its frame's columns and units, and
// `littoral table --columns` tells a script what each column holds.

namespace littoral {

// What a column holds, in words a script can join on. Units are ASCII: m, ft, s, m/s, ft/s,
// kg/m3, slug/ft3, yd3, m3, deg, rad, %, cm/s, h, W/m, ft.lbf/s/ft; "-" for none; an input
// whose unit another column gives names that column (fetch: "fetch_unit").
struct ColumnInfo {
  std::string_view name;
  std::string_view siUnit;
  std::string_view usUnit;
  std::string_view consoleLine;  // the console (or Output.out) line the value comes from
  std::string_view description;
  double usToSi = 1;  // a US row's value times this is in the SI unit
};

// Where a result column's text comes from.
enum class ColumnSource { units, passes, limitedBy, value, error, warnings, errorCause };

struct ResultColumn {
  ColumnInfo info;
  ColumnSource source;
  StormValue value = StormValue::count;  // the value of a ColumnSource::value column
};

// The input columns, in the order of their answers: gravity, depth, fetch, fetch_unit,
// wind_speed, speed_unit, duration_h, rt, rl, local_depth, angle_deg, beach_slope,
// settling_velocity.
std::span<const ColumnInfo> inputColumnInfo();

// The result columns in the order the table writes them: today's first, the later ones after
// error.
std::span<const ResultColumn> resultColumns();

// The column name of a value: "hs" for StormValue::hs.
std::string_view valueName(StormValue value);

// The catalog as CSV: a header "column,si_unit,us_unit,console_line,description" and a row for
// each input and result column.
std::string columnsCsv();

}  // namespace littoral
