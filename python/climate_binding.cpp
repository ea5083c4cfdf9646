// littoral._littoral.run_climate: a wind record's columns through the same reading, storms and
// summaries as `littoral climate`, handed back as typed columns.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "climate.hpp"
#include "climate_output.hpp"
#include "record_time.hpp"
#include "result_columns.hpp"
#include "storm_columns.hpp"
#include "storm_text.hpp"
#include "unit_names.hpp"

namespace littoral {
namespace py = pybind11;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The texts of a sequence: None and NaN are empty fields, other objects their str().
std::vector<std::string> texts(const py::handle& column) {
  std::vector<std::string> out;
  for (const py::handle item : column) {
    if (item.is_none() || (py::isinstance<py::float_>(item) && std::isnan(item.cast<double>()))) {
      out.emplace_back();
    } else {
      out.emplace_back(py::str(item).cast<std::string>());
    }
  }
  return out;
}

// A column of times: seconds since 1970 as int64 (the least int64 for none), or texts.
std::vector<std::string> timeTexts(const py::handle& column) {
  if (!py::isinstance<py::array_t<std::int64_t>>(column)) return texts(column);
  const auto seconds = py::array_t<std::int64_t, py::array::c_style>::ensure(column);
  std::vector<std::string> out;
  out.reserve(std::size_t(seconds.size()));
  for (py::ssize_t i = 0; i < seconds.size(); ++i) {
    const std::int64_t second = seconds.data()[i];
    out.push_back(second == std::numeric_limits<std::int64_t>::min() ? std::string()
                                                                     : writeRecordTime(second));
  }
  return out;
}

// Adds the records: speeds and directions are float64 arrays (NaN missing) or texts read with
// the missing marks.
void addRecords(const py::handle& times, const py::handle& speeds, const py::handle& directions,
                WindRecordBuilder& builder) {
  const std::vector<std::string> timeText = timeTexts(times);
  const bool numbers = py::isinstance<py::array_t<double>>(speeds) &&
                       py::isinstance<py::array_t<double>>(directions);
  builder.reserve(timeText.size(), 0);
  if (numbers) {
    const auto speed = py::array_t<double, py::array::c_style>::ensure(speeds);
    const auto direction = py::array_t<double, py::array::c_style>::ensure(directions);
    for (std::size_t i = 0; i < timeText.size(); ++i) {
      if (!builder.add(i + 1, timeText[i], speed.data()[i], direction.data()[i])) {
        throw py::value_error(builder.error());
      }
    }
    return;
  }
  const std::vector<std::string> speedText = texts(speeds);
  const std::vector<std::string> directionText = texts(directions);
  for (std::size_t i = 0; i < timeText.size(); ++i) {
    if (!builder.add(i + 1, timeText[i], speedText[i], directionText[i])) {
      throw py::value_error(builder.error());
    }
  }
}

template <class Value, class Get>
py::array_t<Value> column(std::size_t size, Get get) {
  py::array_t<Value> out(static_cast<py::ssize_t>(size));
  auto data = out.template mutable_unchecked<1>();
  for (std::size_t i = 0; i < size; ++i) data(py::ssize_t(i)) = get(i);
  return out;
}

double optionalReal(const std::optional<float>& value) { return value ? double(*value) : kNaN; }

py::list unitColumn(const std::vector<ClimateStorm>& storms,
                    const std::array<std::string_view, 5>& names, bool fetch) {
  py::list out;
  for (const ClimateStorm& storm : storms) {
    const std::int32_t unit = fetch ? storm.answers.fetchUnit : storm.answers.speedUnit;
    out.append(std::string(names[std::size_t(unit - 1)]));
  }
  return out;
}

// The storm table's input columns of the storms, by their names.
py::dict inputColumns(const std::vector<ClimateStorm>& storms) {
  py::dict out;
  const std::size_t n = storms.size();
  const auto real = [&](auto get) {
    return column<double>(n, [&](std::size_t i) { return get(storms[i].answers); });
  };
  for (std::size_t c = 0; c < kInputColumnCount; ++c) {
    const std::string name(kInputColumnNames[c]);
    switch (static_cast<InputColumn>(c)) {
      case InputColumn::gravity:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.g); });
        break;
      case InputColumn::depth:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.depth); });
        break;
      case InputColumn::fetch:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.fetch); });
        break;
      case InputColumn::fetchUnit:
        out[name.c_str()] = unitColumn(storms, kFetchUnitNames, true);
        break;
      case InputColumn::windSpeed:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.windSpeed); });
        break;
      case InputColumn::speedUnit:
        out[name.c_str()] = unitColumn(storms, kSpeedUnitNames, false);
        break;
      case InputColumn::durationHours:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.durationHours); });
        break;
      case InputColumn::rt:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.rt); });
        break;
      case InputColumn::rl:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.rl); });
        break;
      case InputColumn::localDepth:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.localDepth); });
        break;
      case InputColumn::angleDegrees:
        out[name.c_str()] = real([](const StormAnswers& a) { return double(a.angleDegrees); });
        break;
      case InputColumn::beachSlope:
        out[name.c_str()] = real([](const StormAnswers& a) { return optionalReal(a.beachSlope); });
        break;
      case InputColumn::settlingVelocity:
        out[name.c_str()] =
            real([](const StormAnswers& a) { return optionalReal(a.settlingVelocity); });
        break;
      case InputColumn::count:
        break;
    }
  }
  return out;
}

// The result columns as run_columns hands them back (see result_columns.hpp).
py::dict resultColumns(const std::vector<ClimateStorm>& storms) {
  ResultColumns columns(storms.size());
  ResultColumns::ChunkTexts texts;
  for (std::size_t i = 0; i < storms.size(); ++i) {
    columns.keep(i, storms[i].answers, storms[i].values, texts);
  }
  columns.handOn(texts);
  return columns.take([](std::size_t) {},
                      [](std::string_view text) { return py::str(text.data(), text.size()); });
}

// The sums' columns of summary rows, in the files' order.
template <class Row>
void sumColumns(const std::vector<Row>& rows, py::dict& out) {
  const std::size_t n = rows.size();
  const auto real = [&](double TransportSums::*member) {
    return column<double>(n, [&](std::size_t i) { return rows[i].sums.*member; });
  };
  out["storms"] =
      column<std::int64_t>(n, [&](std::size_t i) { return std::int64_t(rows[i].sums.storms); });
  out["storm_hours"] = real(&TransportSums::stormHours);
  out["net_yd3"] = real(&TransportSums::net);
  out["gross_yd3"] = real(&TransportSums::gross);
  out["left_yd3"] = real(&TransportSums::left);
  out["right_yd3"] = real(&TransportSums::right);
  out["net_m3"] = real(&TransportSums::netM3);
  out["gross_m3"] = real(&TransportSums::grossM3);
}

py::dict yearColumns(const std::vector<YearSummary>& years) {
  py::dict out;
  const std::size_t n = years.size();
  py::list names;
  for (const YearSummary& row : years) names.append(row.year);
  out["year"] = names;
  out["records"] =
      column<std::int64_t>(n, [&](std::size_t i) { return std::int64_t(years[i].records); });
  out["valid_records"] =
      column<std::int64_t>(n, [&](std::size_t i) { return std::int64_t(years[i].validRecords); });
  out["active_records"] =
      column<std::int64_t>(n, [&](std::size_t i) { return std::int64_t(years[i].activeRecords); });
  sumColumns(years, out);
  out["clamped_storms"] = column<std::int64_t>(
      n, [&](std::size_t i) { return std::int64_t(years[i].sums.clampedStorms); });
  out["clamped_net_yd3"] =
      column<double>(n, [&](std::size_t i) { return years[i].sums.clampedNet; });
  return out;
}

py::dict sectorColumns(const std::vector<SectorSummary>& sectors) {
  py::dict out;
  out["sector_deg"] =
      column<double>(sectors.size(), [&](std::size_t i) { return sectors[i].centre; });
  sumColumns(sectors, out);
  return out;
}

// Runs a wind record at a site. `options` are the settings' texts by name, `fetch` the fetch
// table's columns as texts. Raises ValueError with the command's message when the record, the
// fetch table or an option cannot be read.
py::dict runClimateColumns(
    const py::handle& times, const py::handle& speeds, const py::handle& directions,
    const std::map<std::string, std::string, std::less<>>& options,
    const std::optional<std::string>& fetchFile, const std::vector<std::string>& fetchDirections,
    const std::vector<std::string>& fetchValues, const std::vector<std::string>& fetchDepths,
    const std::vector<std::string>& fetchLabels, const std::vector<std::string>& recordLabels,
    const std::vector<std::string>& columnNames, const std::vector<std::string>& missing, bool sort,
    unsigned jobs) {
  ClimateSettings settings;
  std::string error;
  const auto name = [](std::string_view option) { return std::string(option); };
  if (!readClimateSettings(options, name, settings, error)) throw py::value_error(error);
  FetchTable fetch;
  if (fetchFile) {
    // A file, read as the command reads it: its errors name the line, the header being 1.
    if (!readFetchTable(*fetchFile, fetch, error)) throw py::value_error("fetch table: " + error);
  }
  for (std::size_t i = 0; i < fetchDirections.size(); ++i) {
    if (!addFetchRow(fetchDirections[i], fetchValues[i], fetchDepths[i], fetch, error)) {
      throw py::value_error("fetch table, index " + fetchLabels.at(i) + ": " + error);
    }
  }
  if (fetch.rows.empty()) throw py::value_error("the fetch table has no rows");
  if (!checkFetchDepths(fetch, settings, error)) throw py::value_error(error);

  WindColumns columns;
  if (columnNames.size() == 3) columns = {columnNames[0], columnNames[1], columnNames[2]};
  WindRecordBuilder builder(MissingMarks(missing), "index", columns);
  builder.namePlaces(recordLabels);
  addRecords(times, speeds, directions, builder);
  if (!builder.order(sort)) throw py::value_error(builder.error());
  const WindRecords& records = builder.records();
  ClimateRun run;
  {
    py::gil_scoped_release released;
    run = runClimate(records, fetch, settings, std::max(1u, jobs));
  }
  const std::vector<ClimateStorm>& storms = run.storms;
  py::dict stormColumns;
  stormColumns["storm"] =
      column<std::int64_t>(storms.size(), [](std::size_t i) { return std::int64_t(i + 1); });
  py::list starts;
  py::list ends;
  for (const ClimateStorm& storm : storms) {
    starts.append(std::string(records.time(storm.first)));
    ends.append(std::string(records.time(storm.first + storm.records - 1)));
  }
  stormColumns["start"] = starts;
  stormColumns["end"] = ends;
  stormColumns["records"] = column<std::int64_t>(
      storms.size(), [&](std::size_t i) { return std::int64_t(storms[i].records); });
  stormColumns["wind_direction"] =
      column<double>(storms.size(), [&](std::size_t i) { return storms[i].direction; });
  py::dict out;
  out["storms"] = stormColumns;
  out["inputs"] = inputColumns(storms);
  out["results"] = resultColumns(storms);
  out["years"] = yearColumns(summarizeYears(records, run));
  out["sectors"] = sectorColumns(summarizeSectors(run, settings.sectors));
  return out;
}

}  // namespace

void addClimateFunctions(py::module_& module) {
  module.def("run_climate", &runClimateColumns, py::arg("times"), py::arg("speeds"),
             py::arg("directions"), py::arg("options"), py::arg("fetch_file"),
             py::arg("fetch_directions"), py::arg("fetch_values"), py::arg("fetch_depths"),
             py::arg("fetch_labels"), py::arg("record_labels"), py::arg("columns"),
             py::arg("missing"), py::arg("sort"), py::arg("jobs"),
             "Turns a wind record (times as text, speeds and directions as float64, NaN where "
             "missing) and a fetch table (the bytes of a file, or columns of text with their "
             "index labels) into storms computed as `littoral climate` computes them; returns the "
             "columns of the storms, their inputs and results, and the year and sector sums. "
             "Raises ValueError with the command's message for what it refuses, naming a record "
             "by its label in record_labels.");
}

}  // namespace littoral
