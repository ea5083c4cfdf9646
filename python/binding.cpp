// The Python module littoral._littoral: runs the storms of a table's columns on threads, with
// the interpreter lock released, and hands back typed columns. The Python side only converts
// frames to columns and back.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "columns.hpp"
#include "csv.hpp"
#include "littoral/storm.hpp"
#include "result_columns.hpp"
#include "storm_columns.hpp"
#include "storm_text.hpp"
#include "unit_names.hpp"
#include "worker_pool.hpp"

namespace littoral {
namespace py = pybind11;

namespace {

// Runs Python's signal handlers every few thousand items of work done with the interpreter lock
// held, so that Ctrl-C stops a long call; throws the exception of a handler that raised.
void checkSignals(std::size_t item) {
  if (item % 4096 == 0 && PyErr_CheckSignals() != 0) throw py::error_already_set();
}

// The UTF-8 bytes of a Python text, viewed where Python keeps them; a text with surrogate
// escapes (as run_table gives a file's bytes that are not UTF-8) as the bytes it escapes, kept
// alive in `kept`.
std::string_view utf8View(const py::handle& text, py::list& kept) {
  Py_ssize_t size = 0;
  if (const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size)) {
    return {bytes, std::size_t(size)};
  }
  PyErr_Clear();
  PyObject* escaped = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
  if (escaped == nullptr) throw py::error_already_set();
  kept.append(py::reinterpret_steal<py::bytes>(escaped));
  return {PyBytes_AS_STRING(escaped), std::size_t(PyBytes_GET_SIZE(escaped))};
}

// An input column of Python objects (rowCount items) as the text of each item: a text as it is,
// a missing value (None, or an item isMissing says is one: NaN, pd.NA, NaT) as an empty field,
// any other item as its str(). The texts are viewed where they lie: `held` holds each object
// they lie in (a frame's column may change while the storms run without the interpreter lock),
// and `kept` the bytes of a text with surrogate escapes.
std::vector<std::string_view> columnText(const py::handle& column, std::size_t rowCount,
                                         const py::function& isMissing,
                                         std::vector<py::object>& held, py::list& kept) {
  std::vector<std::string_view> text;
  text.reserve(rowCount);
  for (const py::handle item : column) {
    checkSignals(text.size());
    if (PyUnicode_Check(item.ptr())) {
      held.push_back(py::reinterpret_borrow<py::object>(item));
    } else if (item.is_none() || isMissing(item).cast<bool>()) {
      text.emplace_back();
      continue;
    } else {
      held.push_back(py::str(item));
    }
    text.push_back(utf8View(held.back(), kept));
  }
  return text;
}

// Text of a table as Python text: UTF-8, with bytes that are not (Latin-1 text, say) kept as
// Python's surrogate escapes, so that encoding it with "surrogateescape" gives the bytes back.
py::str fileText(std::string_view text) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(text.data(), py::ssize_t(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

// The rows' results, and the error of each row refused as it was read (empty for the others;
// no row's for a frame, whose rows are all read).
struct Rows {
  ResultColumns results;
  std::vector<std::string> readErrors;
};

// The fields of a table's input columns: a float64 column's numbers as they are (a number reads
// as the table reads its shortest decimal text), any other column's as text. A field that is
// not an input has neither.
struct InputColumns {
  std::vector<std::vector<std::string_view>> text;  // by field, empty for a column of numbers
  std::vector<const double*> numbers;               // by field, null for a column of text
  std::vector<py::object> arrays;                   // the arrays that hold the numbers
  std::vector<py::object> held;                     // the objects that hold the texts
  py::list kept;                                    // the bytes of escaped texts
};

// A worker thread's buffers for the chunks it runs, kept from chunk to chunk: a chunk's storms
// take a few hundred kilobytes, which are not made and cleared again for every chunk.
struct ChunkBuffers {
  std::vector<ColumnFields> columns;
  std::vector<FieldView> fields;
  std::vector<StormAnswers> answers;
  std::vector<std::uint8_t> quick;
  std::vector<std::size_t> rowOfStorm;
  std::vector<StormValues> values;
  ResultColumns::ChunkTexts texts;
};

// The fields of a row, for readAnswers.
void rowFields(std::span<const ColumnFields> columns, std::size_t row,
               std::vector<FieldView>& fields) {
  fields.resize(columns.size());
  for (std::size_t column = 0; column < columns.size(); ++column) {
    fields[column] = fieldAt(columns[column], row);
  }
}

// Reads the answers of the rows from first to last, then runs the storms of those that could be
// read together (runStorms). The answers are read column by column where they read at once, and
// a row at a time where they do not (an error, a halfway number, a number's text).
void runRange(const ColumnPositions& positions, const InputColumns& columns, std::size_t first,
              std::size_t last, Rows& rows) {
  thread_local ChunkBuffers buffers;
  buffers.columns.resize(columns.text.size());
  for (std::size_t column = 0; column < buffers.columns.size(); ++column) {
    const std::vector<std::string_view>& text = columns.text[column];
    buffers.columns[column] = {.numbers = columns.numbers[column],
                               .texts = text.empty() ? nullptr : text.data()};
  }
  std::vector<StormAnswers>& answers = buffers.answers;
  answers.resize(last - first);
  buffers.quick.resize(last - first);
  readQuickAnswerColumns(positions, buffers.columns, first, answers, buffers.quick);
  std::vector<std::size_t>& rowOfStorm = buffers.rowOfStorm;
  rowOfStorm.clear();
  for (std::size_t row = first; row < last; ++row) {
    if (row < rows.readErrors.size() && !rows.readErrors[row].empty()) {  // refused as read
      rows.results.refuse(row, rows.readErrors[row], buffers.texts);
      continue;
    }
    const std::size_t storm = rowOfStorm.size();  // the storms are gathered at the front
    if (buffers.quick[row - first]) {
      answers[storm] = answers[row - first];
    } else {
      rowFields(buffers.columns, row, buffers.fields);
      AnswerReading reading = readAnswers(positions, buffers.fields);
      if (!reading.error.empty()) {
        rows.results.refuse(row, reading.error, buffers.texts);
        continue;
      }
      answers[storm] = reading.answers;
    }
    rowOfStorm.push_back(row);
  }
  answers.resize(rowOfStorm.size());
  std::vector<StormValues>& values = buffers.values;
  values.resize(answers.size());
  runStorms(answers, values);
  for (std::size_t storm = 0; storm < answers.size();) {
    const std::size_t row = rowOfStorm[storm];
    // Eight storms of the rows of a line of the result columns are kept together.
    if (ResultColumns::fillsLines(row) && storm + 8 <= answers.size() &&
        rowOfStorm[storm + 7] == row + 7) {
      rows.results.keepEight(row, std::span(answers).subspan(storm, 8),
                             std::span(values).subspan(storm, 8), buffers.texts);
      storm += 8;
    } else {
      rows.results.keep(row, answers[storm], values[storm], buffers.texts);
      ++storm;
    }
  }
  ResultColumns::finishLines();
  rows.results.handOn(buffers.texts);
}

// Whether Python has a signal to act on: runs its handlers, with the interpreter lock held for
// the moment, and leaves the exception of one that raised (KeyboardInterrupt) set.
bool signalRaised() {
  py::gil_scoped_acquire acquired;
  return PyErr_CheckSignals() != 0;
}

// Runs the rows on jobs threads, a chunk at a time, while the calling thread (without the
// interpreter lock) looks for signals every 100 ms. Returns false when a signal handler raised:
// no chunk is handed out after it, the workers finish the chunks they hold, and the exception
// is left set for the caller to throw once it holds the lock again.
bool runRows(const ColumnPositions& positions, const InputColumns& columns, std::size_t rowCount,
             unsigned jobs, Rows& rows) {
  return runInChunks(
      rowCount, 1024, jobs,
      [&](std::size_t first, std::size_t last) { runRange(positions, columns, first, last, rows); },
      [] { return !signalRaised(); });
}

// The result columns of the rows (see ResultColumns).
py::dict resultColumns(const Rows& rows) { return rows.results.take(checkSignals, fileText); }

// What reads a table whose names another character separates, as a message ends: for a frame
// (keyword sep) pandas' read_csv with sep, for a file (keyword delimiter) run_table's own.
std::string separatorHint(char separator, std::string_view keyword) {
  if (separator == 0) return "";
  const std::string value = separator == '\t' ? "\"\\t\"" : std::string("\"") + separator + "\"";
  if (keyword == "sep") return ": pd.read_csv(..., sep=" + value + ") reads the file so";
  return ": run_table(..., delimiter=" + value + ") reads it";
}

// Runs the storms of the named columns (each a float64 array or a sequence), rowCount rows.
// A header error (a required column missing) raises ValueError with the table's message.
py::dict runColumns(const std::vector<std::string>& names, const py::list& columns,
                    std::size_t rowCount, unsigned jobs, const py::function& isMissing) {
  const std::vector<std::string_view> headerNames(names.begin(), names.end());
  const HeaderReading header = readHeader(headerNames);
  if (!header.error.empty()) {
    throw py::value_error(header.error + separatorHint(header.separator, "sep"));
  }
  InputColumns input;
  input.text.resize(names.size());
  input.numbers.resize(names.size());
  for (const auto& position : header.positions.at) {
    if (!position) continue;
    const py::handle column = columns[*position];
    if (!py::isinstance<py::array_t<double>>(column)) {
      input.held.reserve(input.held.size() + rowCount);
      input.text[*position] = columnText(column, rowCount, isMissing, input.held, input.kept);
      continue;
    }
    const auto numbers =
        py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(column);
    input.numbers[*position] = numbers.data();
    input.arrays.push_back(numbers);
  }
  Rows rows{ResultColumns(rowCount), {}};
  bool complete = false;
  {
    py::gil_scoped_release released;
    complete = runRows(header.positions, input, rowCount, jobs, rows);
  }
  if (!complete) throw py::error_already_set();
  return resultColumns(rows);
}

// The positions of the input columns among names, by the command's header rules (blanks
// around a name ignored); a header error raises ValueError with the command's message.
std::vector<std::size_t> inputPositions(const std::vector<std::string>& names) {
  const std::vector<std::string_view> headerNames(names.begin(), names.end());
  const HeaderReading header = readHeader(headerNames);
  if (!header.error.empty()) {
    throw py::value_error(header.error + separatorHint(header.separator, "sep"));
  }
  std::vector<std::size_t> positions;
  for (const auto& position : header.positions.at) {
    if (position) positions.push_back(*position);
  }
  std::sort(positions.begin(), positions.end());
  return positions;
}

// A table file read as `littoral table` reads it: the command's CSV reader, header and row
// rules. Input columns are kept as the text the storms are read from, every other column as
// the flat text of its fields.
class TableFile final : public CsvRecordHandler {
 public:
  // The reader whose records these are: the header tells it the input columns.
  void readBy(CsvReader& reader) { reader_ = &reader; }

  void onRecord(const CsvRecord& record) override {
    if (!error.empty()) return;
    if (!header) {
      readHeaderRecord(record);
      return;
    }
    const std::size_t fieldCount = record.size();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::string_view field = i < fieldCount ? record.field(i) : std::string_view();
      if (input[i]) {
        inputText[i].emplace_back(field);
      } else {
        columns[i].text += field;
        columns[i].ends.push_back(columns[i].text.size());
      }
    }
    rowErrors.push_back(rowShapeError(*header, fieldCount, record.fault));
  }

  struct Column {
    std::string text;
    std::vector<std::size_t> ends;
  };
  std::optional<TableHeader> header;
  std::vector<std::string> names;                   // as they came
  std::vector<bool> input;                          // by field: an input column
  std::vector<std::vector<std::string>> inputText;  // by field, empty for the others
  std::vector<Column> columns;                      // by field, empty for the inputs
  std::vector<std::string> rowErrors;               // of rows that cannot be computed
  std::string error;                                // why the table cannot be read

 private:
  void readHeaderRecord(const CsvRecord& record) {
    TableHeader read = readTableHeader(record);
    if (!read.error.empty()) {
      error = read.error + separatorHint(read.separator, "delimiter");
      return;
    }
    for (std::size_t i = 0; i < record.size(); ++i) names.emplace_back(record.field(i));
    input = inputFields(read);
    reader_->keepWithinLine(input);
    inputText.resize(names.size());
    columns.resize(names.size());
    header = std::move(read);
  }

  CsvReader* reader_ = nullptr;
};

// What readTableFile returns when a Python signal handler raised while it read.
constexpr int kSignalRaised = -1;

// Reads the file at path into table, looking for Python's signals every few megabytes. Returns
// the error number of a file that cannot be opened or read, kSignalRaised, or 0; an error of
// the text is the command's message in table.error.
int readTableFile(const std::string& path, char delimiter, TableFile& table) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  CsvReader reader(table, delimiter);
  table.readBy(reader);
  std::vector<char> buffer(256 * 1024);
  int failure = 0;
  for (std::size_t reads = 1;; ++reads) {
    if (reads % 16 == 0 && signalRaised()) {
      failure = kSignalRaised;
      break;
    }
    const ssize_t count = ::read(fd, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      failure = errno;
      break;
    }
    const bool read = count == 0 ? reader.finish()
                                 : reader.read(std::string_view(buffer.data(), std::size_t(count)));
    if (!read && table.error.empty()) table.error = reader.error();
    if (count == 0 || !table.error.empty()) break;
  }
  ::close(fd);
  if (failure == 0 && table.error.empty() && !table.header) table.error = "no header row";
  return failure;
}

// The input column at a field as Python wants it: the numbers as float64 holding the single
// that was read (NaN where the field is not a number), the units as text.
py::object inputColumn(const std::vector<std::string>& text, bool numeric) {
  if (!numeric) {
    py::list items(text.size());
    for (std::size_t row = 0; row < text.size(); ++row) {
      checkSignals(row);
      items[row] = fileText(text[row]);
    }
    return items;
  }
  py::array_t<double> numbers(py::ssize_t(text.size()));
  auto out = numbers.mutable_unchecked<1>();
  for (std::size_t row = 0; row < text.size(); ++row) {
    const std::optional<float> value = readReal(text[row]);
    out(py::ssize_t(row)) = value ? double(*value) : std::numeric_limits<double>::quiet_NaN();
  }
  return numbers;
}

// Runs the storms of the CSV file at path, read as `littoral table` reads it: the header's
// names as they came, each column (numbers as float64, other text as str), and the results
// as run_columns gives them. A table that the command refuses raises ValueError with its
// message; a file that cannot be opened or read, OSError.
py::dict runFile(const std::string& path, unsigned jobs, char delimiter) {
  TableFile table;
  int failure = 0;
  {
    py::gil_scoped_release released;
    failure = readTableFile(path, delimiter, table);
  }
  if (failure == kSignalRaised) throw py::error_already_set();
  if (failure != 0) {
    errno = failure;
    PyErr_SetFromErrnoWithFilename(PyExc_OSError, path.c_str());
    throw py::error_already_set();
  }
  if (!table.error.empty()) throw py::value_error(table.error);
  const std::size_t rowCount = table.rowErrors.size();
  Rows rows{ResultColumns(rowCount), std::move(table.rowErrors)};
  InputColumns input;
  for (const std::vector<std::string>& fields : table.inputText) {
    input.text.emplace_back(fields.begin(), fields.end());
  }
  input.numbers.resize(input.text.size());
  bool complete = false;
  {
    py::gil_scoped_release released;
    complete = runRows(table.header->positions, input, rowCount, jobs, rows);
  }
  if (!complete) throw py::error_already_set();
  std::vector<bool> numeric(table.names.size());
  for (std::size_t column = 0; column < kInputColumnCount; ++column) {
    const auto& position = table.header->positions.at[column];
    const auto which = InputColumn(column);
    if (position)
      numeric[*position] = which != InputColumn::fetchUnit && which != InputColumn::speedUnit;
  }
  py::list names;
  py::list columns;
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    names.append(fileText(table.names[i]));
    if (table.input[i]) {
      columns.append(inputColumn(table.inputText[i], numeric[i]));
      continue;
    }
    const TableFile::Column& column = table.columns[i];
    py::list items(column.ends.size());
    for (std::size_t row = 0; row < column.ends.size(); ++row) {
      checkSignals(row);
      const std::size_t start = row == 0 ? 0 : column.ends[row - 1];
      items[row] = fileText(std::string_view(column.text).substr(start, column.ends[row] - start));
    }
    columns.append(items);
  }
  py::dict result;
  result["names"] = names;
  result["columns"] = columns;
  result["results"] = resultColumns(rows);
  return result;
}

}  // namespace

// The wind climate's functions (climate_binding.cpp).
void addClimateFunctions(py::module_& module);

}  // namespace littoral

PYBIND11_MODULE(_littoral, module) {
  using namespace littoral;
  module.doc() = "The storm computations of littoral, over columns of storms.";
  module.attr("__version__") = LITTORAL_VERSION;
  module.attr("si_rate_factor") = double(siRateFactor());
  module.attr("cubic_metres_per_cubic_yard") = kCubicMetresPerCubicYard;
  module.def("run_columns", &runColumns, py::arg("names"), py::arg("columns"), py::arg("row_count"),
             py::arg("jobs"), py::arg("is_missing"),
             "Runs the storms of named columns (float64 arrays or sequences of text items, an "
             "item that is not text an empty field where is_missing(item)), row_count "
             "rows on jobs threads, and returns the result columns: 'reals' (float64, one column "
             "a value), 'passes', and the text columns. Raises ValueError for a header the table "
             "refuses and KeyboardInterrupt on Ctrl-C.");
  module.def("run_file", &runFile, py::arg("path"), py::arg("jobs"), py::arg("delimiter"),
             "Runs the storms of a CSV file read as `littoral table` reads it.");
  module.def("is_delimiter", &isCsvDelimiter, py::arg("character"),
             "Whether a character can separate a table's fields.");
  module.def("columns_csv", &columnsCsv, "The column catalog as `littoral table --columns`.");
  module.def(
      "column_units",
      [] {
        py::dict units;
        const auto add = [&units](const ColumnInfo& info) {
          units[py::str(std::string(info.name))] =
              py::make_tuple(std::string(info.siUnit), std::string(info.usUnit), info.usToSi);
        };
        for (const ColumnInfo& info : inputColumnInfo()) add(info);
        for (const ResultColumn& column : resultColumns()) add(column.info);
        return units;
      },
      "Each column's SI unit, US unit and the factor from a US value to the SI unit.");
  module.def("input_positions", &inputPositions, py::arg("names"),
             "The positions of the input columns among the names, by the command's rules.");
  module.def("result_columns", &resultColumnNames,
             "The result columns' names in the order `littoral table` writes them.");
  module.def(
      "real_columns",
      [] {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < kStormValueCount; ++i) {
          names.emplace_back(valueName(static_cast<StormValue>(i)));
        }
        return names;
      },
      "The names of the real values, in the order of run_columns' 'reals'.");
  module.def(
      "input_columns",
      [] { return std::vector<std::string>(kInputColumnNames.begin(), kInputColumnNames.end()); },
      "The input columns' names; beach_slope and settling_velocity are optional.");
  addClimateFunctions(module);
}
