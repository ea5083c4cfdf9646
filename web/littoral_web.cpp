// The calculator in a web page: the page and its worker call these functions of the
// WebAssembly module. Every number is read, computed and written by the program's own code
// (the storm table's reader, runStorm, the console dialogue and the table run); this file only
// carries texts and values between it and JavaScript.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "csv.hpp"
#include "driver.hpp"
#include "real_text.hpp"
#include "run_io.hpp"
#include "storm.hpp"
#include "storm_columns.hpp"
#include "unit_names.hpp"
#include "table_run.hpp"

namespace {

using emscripten::val;

void runNoCommand(const std::string&) {}

// The text of one answer: a string as it stands, a number as JavaScript writes it, and an empty
// text for a missing one.
std::string answerText(const val& answers, std::string_view name) {
  const val answer = answers[std::string(name)];
  if (answer.isUndefined() || answer.isNull()) return "";
  if (answer.isString()) return answer.as<std::string>();
  return answer.call<std::string>("toString");
}

// Every input column at its own place, as in a table whose header lists them in order.
ColumnPositions inputPositions() {
  ColumnPositions positions;
  for (std::size_t i = 0; i < kInputColumnCount; ++i) positions.at[i] = i;
  return positions;
}

// The answers of one storm read from a JavaScript object keyed by the table's input columns, as
// the table reads the fields of a row, with the table's complaint for each answer it cannot
// read.
struct StormReading {
  std::vector<std::string> texts;
  StormAnswers answers;
  val problems = val::object();
  bool valid = true;
};

StormReading readStorm(const val& given) {
  StormReading reading;
  for (const std::string_view name : kInputColumnNames) {
    reading.texts.push_back(answerText(given, name));
  }
  const ColumnPositions positions = inputPositions();
  // Each answer alone among answers that can be read, so that every one is judged.
  std::vector<std::string_view> fields(kInputColumnCount, "1");
  for (std::size_t i = 0; i < kInputColumnCount; ++i) {
    fields[i] = reading.texts[i];
    StormAnswers ignored;
    const std::string error = readAnswers(positions, fields, ignored);
    fields[i] = "1";
    if (error.empty()) continue;
    // The complaint without the column's name, which the page shows beside the field.
    const std::string prefix = std::string(kInputColumnNames[i]) + ": ";
    const bool named = error.compare(0, prefix.size(), prefix) == 0;
    reading.problems.set(std::string(kInputColumnNames[i]),
                         named ? error.substr(prefix.size()) : error);
    reading.valid = false;
  }
  if (reading.valid) {
    const std::vector<std::string_view> all(reading.texts.begin(), reading.texts.end());
    readAnswers(positions, all, reading.answers);
  }
  return reading;
}

std::string columnText(const StormReading& reading, InputColumn column) {
  return reading.texts[static_cast<std::size_t>(column)];
}

// The console answers of the storm, one to a line in the dialogue's order, with the empty line
// that lets the pause before the slope go on; the menus by their numbers. Without a settling
// velocity the run stops at the continue prompt.
std::string consoleAnswers(const StormReading& reading) {
  const StormAnswers& answers = reading.answers;
  std::string text;
  const auto line = [&text](const std::string& answer) { text += answer + "\n"; };
  line(columnText(reading, InputColumn::gravity));
  line(columnText(reading, InputColumn::depth));
  line(std::to_string(answers.fetchUnit));
  line(columnText(reading, InputColumn::fetch));
  line(std::to_string(answers.speedUnit));
  line(columnText(reading, InputColumn::windSpeed));
  line(columnText(reading, InputColumn::durationHours));
  line(columnText(reading, InputColumn::rt));
  line(columnText(reading, InputColumn::rl));
  line(columnText(reading, InputColumn::localDepth));
  line(columnText(reading, InputColumn::angleDegrees));
  if (!answers.settlingVelocity) {
    line("0");
    return text;
  }
  line("1");
  line("");
  line(answers.beachSlope ? columnText(reading, InputColumn::beachSlope) : "/");
  line(columnText(reading, InputColumn::settlingVelocity));
  return text;
}

// Runs the whole console dialogue on the answers text and returns what it wrote.
val runConsole(const std::string& answers) {
  std::istringstream input(answers);
  std::ostringstream console;
  std::ostringstream errors;
  RunIo io;
  bindConsole(io, input, console, errors);
  io.runCommand = runNoCommand;
  const int status = runCase(io);
  val result = val::object();
  result.set("console", console.str());
  result.set("errors", errors.str());
  result.set("status", status);
  return result;
}

// One storm from its answers: the problems of the answers that cannot be read, or the storm's
// values (as numbers and as the console prints them) and its console records.
val computeStorm(val given) {
  const StormReading reading = readStorm(given);
  val result = val::object();
  result.set("valid", reading.valid);
  result.set("problems", reading.problems);
  if (!reading.valid) return result;

  const StormValues storm = runStorm(reading.answers);
  val values = val::object();
  val texts = val::object();
  for (std::size_t i = 0; i < kStormValueCount; ++i) {
    if (!storm.present.test(i)) continue;
    values.set(kStormValueNames[i], double(storm.values[i]));
    std::string text;
    appendRealText(text, storm.values[i]);
    texts.set(kStormValueNames[i], text);
  }
  result.set("values", values);
  result.set("texts", texts);
  result.set("units", std::string(unitsName(storm.units)));
  result.set("limited_by", std::string(limitName(storm.limitedBy)));
  result.set("passes", storm.passes);
  result.set("error", storm.error);
  result.set("transport", reading.answers.settlingVelocity.has_value());
  result.set("run", runConsole(consoleAnswers(reading)));
  return result;
}

// The bytes of a table in memory, read in pieces as a file is; how far the reading has come
// drives the progress bar.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view text) : text_(text) {}
  long read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, text_.size() - at_);
    std::memcpy(buffer, text_.data() + at_, count);
    at_ += count;
    return long(count);
  }
  std::string failure() const override { return ""; }
  std::size_t consumed() const { return at_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// The result table in memory.
class MemorySink final : public ByteSink {
 public:
  bool write(std::string_view text) override {
    text_.append(text);
    return true;
  }
  std::string failure() const override { return ""; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
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

// What the page shows of a result table, read back with the table's CSV reader: the first rows,
// the first row errors, and the charts' series (a sample of at most kChartRows rows of a long
// table).
class ResultSummary final : public CsvRecordHandler {
 public:
  static constexpr std::size_t kPreviewRows = 20;
  static constexpr std::size_t kListedErrors = 100;
  static constexpr std::size_t kChartRows = 2000;

  explicit ResultSummary(std::size_t rows)
      : step_(std::max<std::size_t>(1, (rows + kChartRows - 1) / kChartRows)) {}

  void onRecord(const CsvRecord& record) override {
    if (preview_.size() <= kPreviewRows) preview_.push_back(fieldsOf(record));
    if (row_ == 0) {
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
    val errors = val::array();
    for (const auto& [row, error] : errors_) {
      val entry = val::object();
      entry.set("row", double(row));
      entry.set("error", error);
      errors.call<void>("push", entry);
    }
    summary.set("errors", errors);
    val series = val::object();
    series.set("hs", toArray(hs_));
    series.set("ts", toArray(ts_));
    val units = val::array();
    for (const std::string& system : units_) units.call<void>("push", system);
    series.set("units", units);
    series.set("cumulativeRows", toArray(cumulativeRows_));
    series.set("cumulative", toArray(cumulative_));
    series.set("sampled", step_ > 1);
    summary.set("series", series);
    return summary;
  }

 private:
  static std::vector<std::string> fieldsOf(const CsvRecord& record) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.size(); ++i) fields.emplace_back(record.field(i));
    return fields;
  }

  static val toArray(const std::vector<double>& values) {
    val array = val::array();
    for (const double value : values) array.call<void>("push", value);
    return array;
  }

  void findColumns(const CsvRecord& header) {
    for (std::size_t i = 0; i < header.size(); ++i) {
      const std::string_view name = header.field(i);
      if (name == "hs") hsAt_ = i;
      if (name == "ts") tsAt_ = i;
      if (name == "units") unitsAt_ = i;
      if (name == "storm_transport") transportAt_ = i;
      if (name == "error") errorAt_ = i;
    }
  }

  // A result value as a number for the charts, read as the table reads a number; not a number
  // (a value the storm did not reach, NaN, an infinity) for anything else.
  static double number(const CsvRecord& record, std::size_t at) {
    if (at >= record.size()) return std::numeric_limits<double>::quiet_NaN();
    const std::optional<float> value = readReal(record.field(at));
    return value ? double(*value) : std::numeric_limits<double>::quiet_NaN();
  }

  void readRow(const CsvRecord& record) {
    if (errorAt_ < record.size() && !record.field(errorAt_).empty() &&
        errors_.size() < kListedErrors) {
      errors_.emplace_back(row_, std::string(record.field(errorAt_)));
    }
    const double transport = number(record, transportAt_);
    if (std::isfinite(transport)) total_ += transport;
    if ((row_ - 1) % step_ != 0) return;
    hs_.push_back(number(record, hsAt_));
    ts_.push_back(number(record, tsAt_));
    units_.emplace_back(unitsAt_ < record.size() ? record.field(unitsAt_) : std::string_view());
    cumulativeRows_.push_back(double(row_));
    cumulative_.push_back(total_);
  }

  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::size_t step_;
  std::size_t row_ = 0;
  std::size_t hsAt_ = kNone;
  std::size_t tsAt_ = kNone;
  std::size_t unitsAt_ = kNone;
  std::size_t transportAt_ = kNone;
  std::size_t errorAt_ = kNone;
  std::vector<std::vector<std::string>> preview_;
  std::vector<std::pair<std::size_t, std::string>> errors_;
  std::vector<double> hs_, ts_, cumulativeRows_, cumulative_;
  std::vector<std::string> units_;
  double total_ = 0;
};

// A whole storm table: runTable with one job over the bytes (a Uint8Array), calling
// onProgress(rows, bytesRead) after each batch of rows. Returns the result table's bytes and
// the outcome, and when asked for (it reads the whole result again) what the page shows of it.
val runTableBytes(val bytes, val onProgress, bool withSummary) {
  std::string table(bytes["length"].as<std::size_t>(), '\0');
  val(emscripten::typed_memory_view(table.size(), reinterpret_cast<std::uint8_t*>(table.data())))
      .call<void>("set", bytes);
  MemorySource source(table);
  MemorySink sink;
  TableSettings settings;
  settings.jobs = 1;
  settings.batchRows = 256;
  if (!onProgress.isUndefined()) {
    settings.progress = [&](std::size_t rows) {
      onProgress(double(rows), double(source.consumed()));
    };
  }
  const TableOutcome outcome = runTable(source, sink, settings);

  val result = val::object();
  const std::string& text = sink.text();
  result.set("bytes", val::global("Uint8Array")
                          .new_(emscripten::typed_memory_view(
                              text.size(), reinterpret_cast<const std::uint8_t*>(text.data()))));
  val summary = val::object();
  summary.set("end", std::string(endText(outcome.end)));
  summary.set("rows", double(outcome.rows));
  summary.set("rowsWithError", double(outcome.rowsWithError));
  summary.set("message", outcome.message);
  result.set("outcome", summary);

  if (!withSummary) return result;
  ResultSummary shown(outcome.rows);
  CsvReader reader(shown);
  reader.read(text);
  reader.finish();
  const val view = shown.result();
  result.set("preview", view["preview"]);
  result.set("errors", view["errors"]);
  result.set("series", view["series"]);
  return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(littoral) {
  emscripten::function("computeStorm", &computeStorm);
  emscripten::function("runConsole", &runConsole);
  emscripten::function("runTableBytes", &runTableBytes);
}
