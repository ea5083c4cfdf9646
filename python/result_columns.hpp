#pragma once

// The result columns of many storms as the Python package's frames take them, for the table's
// rows and the climate's storms alike.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "littoral/storm.hpp"
#include "unit_names.hpp"

namespace littoral {

namespace py = pybind11;

// One row's results: its storm, or the error of a row that could not be read (values null).
struct ResultRow {
  const StormValues* values = nullptr;
  std::string_view readError;
  std::string warnings;
  std::string errorCause;
};

// The value a frame holds for a stored single: the single itself, a zero of either sign as +0,
// which the table prints as 0.0000000E+00.
inline double frameValue(float value) { return value == 0.0f ? 0.0 : double(value); }

// The result columns of `count` rows, rowOf(i) giving row i, with `everyRow(i)` called before
// each (Python's signal checks): the reals as one float64 block (NaN where a value was not
// computed), passes (-1 where no storm ran), and units, limited_by, error, warnings and
// error_cause as lists of text, `text` making a Python text of an error.
template <class RowOf, class EveryRow, class Text>
py::dict resultColumnsOf(std::size_t count, RowOf rowOf, EveryRow everyRow, Text text) {
  const auto rows = py::ssize_t(count);
  // Column by column in memory, so that each result column of the frame is contiguous.
  py::array_t<double, py::array::f_style> reals({rows, py::ssize_t(kStormValueCount)});
  py::array_t<std::int64_t> passes(rows);
  py::list units(count), limits(count), errors(count), warnings(count), causes(count);
  auto realsOut = reals.mutable_unchecked<2>();
  auto passesOut = passes.mutable_unchecked<1>();
  // The names and the empty text are made once as Python texts and shared by the rows.
  std::vector<std::pair<const char*, py::str>> names;
  auto nameText = [&names](const char* name) -> const py::str& {
    for (const auto& [known, pythonText] : names) {
      if (known == name) return pythonText;
    }
    return names.emplace_back(name, py::str(name)).second;
  };
  const py::str empty("");
  auto textOf = [&](std::string_view value) -> py::object {
    return value.empty() ? py::object(empty) : py::object(text(value));
  };
  for (std::size_t row = 0; row < count; ++row) {
    everyRow(row);
    const ResultRow result = rowOf(row);
    const StormValues* values = result.values;
    for (std::size_t i = 0; i < kStormValueCount; ++i) {
      realsOut(py::ssize_t(row), py::ssize_t(i)) = values != nullptr && values->present.test(i)
                                                       ? frameValue(values->values[i])
                                                       : std::numeric_limits<double>::quiet_NaN();
    }
    passesOut(py::ssize_t(row)) = values != nullptr ? values->passes : -1;
    units[row] = values != nullptr ? nameText(unitsName(values->units)) : empty;
    limits[row] = values != nullptr ? nameText(limitName(values->limitedBy)) : empty;
    errors[row] = textOf(values != nullptr ? std::string_view(values->error) : result.readError);
    warnings[row] = result.warnings.empty() ? empty : py::str(result.warnings);
    causes[row] = result.errorCause.empty() ? empty : py::str(result.errorCause);
  }
  py::dict columns;
  columns["reals"] = reals;
  columns["passes"] = passes;
  columns["units"] = units;
  columns["limited_by"] = limits;
  columns["error"] = errors;
  columns["warnings"] = warnings;
  columns["error_cause"] = causes;
  return columns;
}

}  // namespace littoral
