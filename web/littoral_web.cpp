// The calculator in a web page: the page and its worker call these functions of the
// WebAssembly module. Every number is read, computed and written by the program's own code
// (the storm table's reader, the stages with the console's records, the table run); this file
// only carries texts and values between it and JavaScript.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "columns.hpp"
#include "csv.hpp"
#include "littoral/storm.hpp"
#include "real_text.hpp"
#include "storm_columns.hpp"
#include "storm_text.hpp"
#include "table_run.hpp"
#include "transcript.hpp"
#include "unit_names.hpp"

namespace littoral {
namespace {

using emscripten::val;

// The text of one answer: a string as it stands, a number as JavaScript writes it, and an empty
// text for a missing one.
std::string answerText(const val& answers, std::string_view name) {
  const val answer = answers[std::string(name)];
  if (answer.isUndefined() || answer.isNull()) return "";
  if (answer.isString()) return answer.as<std::string>();
  return answer.call<std::string>("toString");
}

// The answers of one storm read from a JavaScript object keyed by the table's input columns, as
// the table reads the fields of a row, with the table's complaint, without the column's name
// that the page shows beside the field, for each answer it cannot read.
struct StormReading {
  StormAnswers answers;
  val problems = val::object();
  bool valid = true;
};

StormReading readStorm(const val& given) {
  StormReading reading;
  for (std::size_t i = 0; i < kInputColumnCount; ++i) {
    const std::string name(kInputColumnNames[i]);
    const std::string error =
        readInputColumn(static_cast<InputColumn>(i), answerText(given, name), reading.answers);
    if (error.empty()) continue;
    const std::string prefix = name + ": ";
    const bool named = error.compare(0, prefix.size(), prefix) == 0;
    reading.problems.set(name, named ? error.substr(prefix.size()) : error);
    reading.valid = false;
  }
  return reading;
}

// One storm from its answers: the problems of the answers that cannot be read, or the storm's
// values (as numbers and as the console prints them) and its console records.
val computeStorm(val given) {
  const StormReading reading = readStorm(given);
  val result = val::object();
  result.set("valid", reading.valid);
  result.set("problems", reading.problems);
  if (!reading.valid) return result;

  const StormTranscript transcript = transcribeStorm(reading.answers);
  const StormValues& storm = transcript.values;
  val values = val::object();
  val texts = val::object();
  for (std::size_t i = 0; i < kStormValueCount; ++i) {
    if (!storm.present.test(i)) continue;
    const std::string name(valueName(static_cast<StormValue>(i)));
    values.set(name, double(storm.values[i]));
    std::string text;
    appendRealText(text, storm.values[i]);
    texts.set(name, text);
  }
  result.set("values", values);
  result.set("texts", texts);
  result.set("units", std::string(unitsName(storm.units)));
  result.set("limited_by", std::string(limitName(storm.limitedBy)));
  result.set("passes", storm.passes);
  result.set("error", storm.error);
  result.set("warnings", warningsText(reading.answers, storm));
  result.set("error_cause", errorCauseText(reading.answers, storm));
  result.set("transport", reading.answers.settlingVelocity.has_value());
  // The console as the interactive program shows it for the same answers.
  val run = val::object();
  run.set("console", transcript.console);
  run.set("errors", storm.error.empty() ? std::string() : storm.error + "\n");
  run.set("status", storm.error.empty() ? 0 : 2);
  result.set("run", run);
  return result;
}

// One column of the catalog for the page: its name, its units in each system, the factor that
// takes a US row's value to the SI unit, and what it holds.
val catalogEntry(const ColumnInfo& info, const char* kind) {
  val entry = val::object();
  entry.set("column", std::string(info.name));
  entry.set("kind", std::string(kind));
  entry.set("si_unit", std::string(info.siUnit));
  entry.set("us_unit", std::string(info.usUnit));
  entry.set("us_to_si", info.usToSi);
  entry.set("description", std::string(info.description));
  return entry;
}

// The column catalog of the table (columnsCsv's rows): the input columns, then the result
// columns in the order the table writes them.
val columnCatalog() {
  val catalog = val::array();
  for (const ColumnInfo& info : inputColumnInfo()) {
    catalog.call<void>("push", catalogEntry(info, "input"));
  }
  for (const ResultColumn& column : resultColumns()) {
    catalog.call<void>("push", catalogEntry(column.info, "result"));
  }
  return catalog;
}

// The size of the pieces in which a table and its result pass between JavaScript and the
// calculator, as the table command reads a file: the memory of a run stays bounded whatever the
// table's size.
constexpr std::size_t kPieceBytes = std::size_t(4) << 20;

// The lines where the rows of a table start (the header being line 1), as the table run tells
// them before it writes the rows' results: the result rows' lines in the order they come, a
// batch's worth at most.
class RowLines {
 public:
  void add(std::size_t line) { lines_.push_back(line); }

  // The line of the next result row: 0 when it is not known.
  std::size_t takeLine() {
    if (lines_.empty()) return 0;
    const std::size_t line = lines_.front();
    lines_.pop_front();
    return line;
  }

 private:
  std::deque<std::size_t> lines_;
};

// Bytes handed over in pieces by a JavaScript function: readPiece() returns the next piece as a
// Uint8Array, an empty one at the end, or a text that says why the bytes cannot be read.
class PieceSource final : public ByteSource {
 public:
  explicit PieceSource(val readPiece) : readPiece_(std::move(readPiece)) {}

  long read(char* buffer, std::size_t size) override {
    if (at_ == piece_.size() && !nextPiece()) return failure_.empty() ? 0 : -1;
    const std::size_t count = std::min(size, piece_.size() - at_);
    std::memcpy(buffer, piece_.data() + at_, count);
    at_ += count;
    consumed_ += count;
    return long(count);
  }
  std::string failure() const override { return failure_; }

  // The bytes handed to read() so far.
  std::size_t consumed() const { return consumed_; }

 private:
  // Takes the next piece: false at the end or after a failure.
  bool nextPiece() {
    if (ended_) return false;
    const val piece = readPiece_();
    if (piece.isString()) failure_ = piece.as<std::string>();
    piece_.resize(failure_.empty() ? piece["length"].as<std::size_t>() : 0);
    at_ = 0;
    ended_ = piece_.empty();
    if (ended_) return false;
    val(emscripten::typed_memory_view(piece_.size(),
                                      reinterpret_cast<std::uint8_t*>(piece_.data())))
        .call<void>("set", piece);
    return true;
  }

  val readPiece_;
  std::string piece_;
  std::size_t at_ = 0;
  std::size_t consumed_ = 0;
  bool ended_ = false;
  std::string failure_;
};

// The result table handed to a JavaScript function in pieces of about kPieceBytes, each ending
// where one of the run's writes ends (after a line end, since the run writes whole rows):
// writePiece(bytes) takes a view of the piece's bytes, valid during the call only, and returns
// an empty text, or one that says why the piece could not be kept.
class PieceSink final : public ByteSink {
 public:
  // Each write is also handed to `reader` when there is one.
  PieceSink(val writePiece, CsvReader* reader)
      : writePiece_(std::move(writePiece)), reader_(reader) {
    piece_.reserve(kPieceBytes);
  }

  bool write(std::string_view text) override {
    if (reader_ != nullptr) reader_->read(text);
    piece_.append(text);
    return piece_.size() < kPieceBytes || flush();
  }
  std::string failure() const override { return failure_; }

  // Hands on what is written and not yet handed on: false after a failure.
  bool flush() {
    if (piece_.empty() || !failure_.empty()) return failure_.empty();
    failure_ =
        writePiece_(val(emscripten::typed_memory_view(
                        piece_.size(), reinterpret_cast<const std::uint8_t*>(piece_.data()))))
            .as<std::string>();
    piece_.clear();
    return failure_.empty();
  }

 private:
  val writePiece_;
  CsvReader* reader_;
  std::string piece_;
  std::string failure_;
};

const char* endText(TableOutcome::End end) {
  switch (end) {
    case TableOutcome::End::complete:
      return "complete";
    case TableOutcome::End::unreadable:
      return "unreadable";
    case TableOutcome::End::readFailed:
      return "readFailed";
    case TableOutcome::End::writeFailed:
      return "writeFailed";
    case TableOutcome::End::stopped:
      break;
  }
  return "stopped";
}

// What the page shows of a result table, read with the table's CSV reader as it is written: the
// first rows and their first columns, the count of columns, the first rows with an error or
// warnings, and the charts' series (a sample of at most kChartRows rows of a long table). Of
// each row it keeps the few numbers the charts need, a small fraction of the row, until the
// count of rows, and so the sample, is known.
class ResultSummary final : public CsvRecordHandler {
 public:
  static constexpr std::size_t kPreviewRows = 20;
  static constexpr std::size_t kPreviewColumns = 200;
  static constexpr std::size_t kListedRows = 100;  // of those with an error, and of the others
  static constexpr std::size_t kChartRows = 2000;

  // The line of each row is taken from `lines`.
  explicit ResultSummary(RowLines& lines) : lines_(lines) {}

  void onRecord(const CsvRecord& record) override {
    if (preview_.size() <= kPreviewRows) preview_.push_back(fieldsOf(record));
    if (row_ == 0) {
      columns_ = record.size();
      findColumns(record);
    } else {
      readRow(record);
    }
    ++row_;
  }

  val result() const {
    val summary = val::object();
    val preview = val::array();
    for (const std::vector<std::string>& fields : preview_) {
      val row = val::array();
      for (const std::string& field : fields) row.call<void>("push", field);
      preview.call<void>("push", row);
    }
    summary.set("preview", preview);
    summary.set("columns", double(columns_));
    summary.set("idColumn", idColumn_);
    val flagged = val::array();
    for (const FlaggedRow& row : flagged_) {
      val entry = val::object();
      entry.set("row", double(row.row));
      entry.set("line", double(row.line));
      entry.set("id", row.id);
      entry.set("error", row.error);
      entry.set("error_cause", row.errorCause);
      entry.set("warnings", row.warnings);
      flagged.call<void>("push", entry);
    }
    summary.set("flagged", flagged);
    summary.set("rowsWithWarnings", double(rowsWithWarnings_));
    summary.set("series", series());
    return summary;
  }

 private:
  // A row with an error or warnings: its place in the result (from 1) and in the table.
  struct FlaggedRow {
    std::size_t row;
    std::size_t line;
    std::string id;
    std::string error;
    std::string errorCause;
    std::string warnings;
  };

  static std::vector<std::string> fieldsOf(const CsvRecord& record) {
    std::vector<std::string> fields;
    const std::size_t shown = std::min(record.size(), kPreviewColumns);
    for (std::size_t i = 0; i < shown; ++i) fields.emplace_back(record.field(i));
    return fields;
  }

  // Every step-th row from the first, with the running sum of the transport over every row.
  val series() const {
    const std::size_t rows = hs_.size();
    const std::size_t step = std::max<std::size_t>(1, (rows + kChartRows - 1) / kChartRows);
    val hs = val::array();
    val ts = val::array();
    val units = val::array();
    val cumulativeRows = val::array();
    val cumulative = val::array();
    double total = 0;
    for (std::size_t i = 0; i < rows; ++i) {
      if (std::isfinite(transport_[i])) total += double(transport_[i]);
      if (i % step != 0) continue;
      hs.call<void>("push", double(hs_[i]));
      ts.call<void>("push", double(ts_[i]));
      units.call<void>("push", unitNames_[units_[i]]);
      cumulativeRows.call<void>("push", double(i + 1));
      cumulative.call<void>("push", total);
    }
    val series = val::object();
    series.set("hs", hs);
    series.set("ts", ts);
    series.set("units", units);
    series.set("cumulativeRows", cumulativeRows);
    series.set("cumulative", cumulative);
    series.set("sampled", step > 1);
    return series;
  }

  static std::string_view withoutBlanks(std::string_view name) {
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    return name;
  }

  void findColumns(const CsvRecord& header) {
    // A row's own name for itself, the first of these names that the table has.
    constexpr std::array<std::string_view, 3> kIdNames = {"id", "case", "storm"};
    std::size_t idRank = kIdNames.size();
    for (std::size_t i = 0; i < header.size(); ++i) {
      const std::string_view name = withoutBlanks(header.field(i));
      if (name == "hs") hsAt_ = i;
      if (name == "ts") tsAt_ = i;
      if (name == "units") unitsAt_ = i;
      if (name == "storm_transport") transportAt_ = i;
      if (name == "error") errorAt_ = i;
      if (name == "error_cause") errorCauseAt_ = i;
      if (name == "warnings") warningsAt_ = i;
      const auto rank =
          std::size_t(std::find(kIdNames.begin(), kIdNames.end(), name) - kIdNames.begin());
      if (rank < idRank) {
        idRank = rank;
        idAt_ = i;
        idColumn_ = std::string(name);
      }
    }
  }

  // A result value as a number for the charts, read as the table reads a number; not a number
  // (a value the storm did not reach, NaN, an infinity) for anything else.
  static float number(const CsvRecord& record, std::size_t at) {
    if (at >= record.size()) return std::numeric_limits<float>::quiet_NaN();
    return readReal(record.field(at)).value_or(std::numeric_limits<float>::quiet_NaN());
  }

  static std::string_view text(const CsvRecord& record, std::size_t at) {
    return at < record.size() ? record.field(at) : std::string_view();
  }

  // The unit system's place in unitNames_, added when new (a table has two or three).
  std::uint8_t unitCode(std::string_view name) {
    const auto known = std::find(unitNames_.begin(), unitNames_.end(), name);
    if (known != unitNames_.end()) return std::uint8_t(known - unitNames_.begin());
    if (unitNames_.size() == 255) return 0;
    unitNames_.emplace_back(name);
    return std::uint8_t(unitNames_.size() - 1);
  }

  void readRow(const CsvRecord& record) {
    const std::size_t line = lines_.takeLine();
    const std::string_view error = text(record, errorAt_);
    const std::string_view warnings = text(record, warningsAt_);
    if (!warnings.empty()) ++rowsWithWarnings_;
    std::size_t& listed = error.empty() ? warnedListed_ : erredListed_;
    if ((!error.empty() || !warnings.empty()) && listed < kListedRows) {
      ++listed;
      flagged_.push_back({row_, line, std::string(text(record, idAt_)), std::string(error),
                          std::string(text(record, errorCauseAt_)), std::string(warnings)});
    }
    hs_.push_back(number(record, hsAt_));
    ts_.push_back(number(record, tsAt_));
    transport_.push_back(number(record, transportAt_));
    units_.push_back(unitCode(text(record, unitsAt_)));
  }

  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  RowLines& lines_;
  std::size_t row_ = 0;
  std::size_t hsAt_ = kNone;
  std::size_t tsAt_ = kNone;
  std::size_t unitsAt_ = kNone;
  std::size_t transportAt_ = kNone;
  std::size_t errorAt_ = kNone;
  std::size_t errorCauseAt_ = kNone;
  std::size_t warningsAt_ = kNone;
  std::size_t idAt_ = kNone;
  std::string idColumn_;
  std::size_t columns_ = 0;
  std::vector<std::vector<std::string>> preview_;
  std::vector<FlaggedRow> flagged_;
  std::size_t erredListed_ = 0;
  std::size_t warnedListed_ = 0;
  std::size_t rowsWithWarnings_ = 0;
  std::vector<float> hs_, ts_, transport_;
  std::vector<std::uint8_t> units_;
  std::vector<std::string> unitNames_{""};
};

// A whole storm table: runTable with one job over the pieces that readPiece() returns (see
// PieceSource), handing the result table to writePiece() (see PieceSink) and calling
// onProgress(rows, bytesRead) after each batch of rows. Returns { outcome }: how the run ended,
// with { preview, columns, idColumn, flagged, rowsWithWarnings, series } when asked for (see
// ResultSummary); or { failure } when the calculator ran out of memory.
val runTablePieces(val readPiece, val writePiece, val onProgress, bool withSummary) {
  val result = val::object();
  try {
    RowLines lines;
    ResultSummary shown(lines);
    CsvReader resultReader(shown);
    PieceSource source(std::move(readPiece));
    PieceSink sink(std::move(writePiece), withSummary ? &resultReader : nullptr);
    TableSettings settings;
    settings.jobs = 1;
    settings.batchRows = 256;
    settings.progress = [&](std::size_t rows) {
      onProgress(double(rows), double(source.consumed()));
    };
    if (withSummary) settings.rowLine = [&lines](std::size_t line) { lines.add(line); };
    TableOutcome outcome = runTable(source, sink, settings);
    if (!sink.flush() && outcome.end != TableOutcome::End::unreadable) {
      outcome.end = TableOutcome::End::writeFailed;
      outcome.message = sink.failure();
    }
    val summary = val::object();
    summary.set("end", std::string(endText(outcome.end)));
    summary.set("rows", double(outcome.rows));
    summary.set("rowsWithError", double(outcome.rowsWithError));
    summary.set("message", outcome.message);
    result.set("outcome", summary);
    if (!withSummary) return result;
    resultReader.finish();
    const val shownTable = shown.result();
    for (const char* name :
         {"preview", "columns", "idColumn", "flagged", "rowsWithWarnings", "series"}) {
      result.set(name, shownTable[name]);
    }
  } catch (const std::bad_alloc&) {
    result = val::object();
    result.set("failure", std::string("the browser gave the calculator no more memory"));
  }
  return result;
}

}  // namespace

}  // namespace littoral

EMSCRIPTEN_BINDINGS(littoral) {
  using namespace littoral;
  emscripten::function("computeStorm", &computeStorm);
  emscripten::function("runTablePieces", &runTablePieces);
  emscripten::function("columnCatalog", &columnCatalog);
}
