#include "table_run.hpp"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "csv.hpp"
#include "littoral/storm.hpp"
#include "storm_columns.hpp"
#include "worker_pool.hpp"

namespace littoral {
namespace {

constexpr std::size_t kReadSize = 256 * 1024;
// A batch holding this much text is handed on before it has its count of rows.
constexpr std::size_t kBatchText = 4 << 20;

// A row whose quotes are at fault: it is written with the fault as its error.
struct RowFault {
  std::size_t row;  // in its batch
  CsvFault fault;
};

// Rows read from the table, and their result rows once computed.
struct Batch {
  std::string text;                    // the fields of every row one after another
  std::vector<std::size_t> fieldEnds;  // the end of each field in text
  std::vector<std::size_t> rowEnds;    // the count of fields up to the end of each row
  std::vector<RowFault> faults;        // in the order of their rows
  std::vector<std::size_t> lines;      // the line where each row starts
  std::size_t sequence = 0;            // in the order of the table
  enum class Written { no, whole, failed } written = Written::no;  // by the computing thread
  std::size_t rowsKept = 0;  // the whole rows a failed write kept
  std::size_t errors = 0;
  std::vector<RowError> firstErrors;  // the first kNamedRowErrors rows with an error
  PoolTask task;                      // its computing on a worker thread

  void clear() {
    text.clear();
    fieldEnds.clear();
    rowEnds.clear();
    faults.clear();
    lines.clear();
    written = Written::no;
    rowsKept = 0;
    errors = 0;
    firstErrors.clear();
  }
  std::size_t rows() const { return rowEnds.size(); }
  std::string_view field(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : fieldEnds[i - 1];
    return std::string_view(text).substr(start, fieldEnds[i] - start);
  }
  void add(const CsvRecord& record) {
    const std::size_t base = text.size();
    text += record.text;
    for (const std::size_t end : record.ends) fieldEnds.push_back(base + end);
    if (record.fault) faults.push_back({rowEnds.size(), record.fault});
    lines.push_back(record.line);
    rowEnds.push_back(fieldEnds.size());
  }
};

// What a thread computing batches keeps from one to the next.
struct BatchBuffers {
  std::vector<AnswerReading> readings;
  std::vector<StormAnswers> answers;
  std::vector<StormValues> values;
};

// Computes the result rows of a batch: each row's fields as they came, then its results. The
// answers of every row are read first, and the storms of the rows that could be read are run
// together (runStorms).
class RowComputer {
 public:
  RowComputer(TableHeader header, std::optional<std::size_t> idColumn)
      : header_(std::move(header)), idColumn_(idColumn) {}

  void compute(Batch& batch, std::string& out) const {
    // Each thread keeps its buffers from batch to batch, rather than take fresh pages for each.
    thread_local BatchBuffers buffers;
    std::vector<AnswerReading>& readings = buffers.readings;
    readRows(batch, readings);
    std::vector<StormAnswers>& answers = buffers.answers;
    answers.clear();
    for (const AnswerReading& reading : readings) {
      if (reading.error.empty()) answers.push_back(reading.answers);
    }
    std::vector<StormValues>& values = buffers.values;
    values.resize(answers.size());
    runStorms(answers, values);

    std::vector<std::string_view> fields(header_.names.size());
    std::size_t computed = 0;
    for (std::size_t row = 0; row < batch.rows(); ++row) {
      rowFields(batch, row, fields);
      appendCsvFields(out, fields);
      const AnswerReading& reading = readings[row];
      if (reading.error.empty()) {
        const StormValues& storm = values[computed++];
        appendResults(out, reading.answers, storm);
        if (!storm.error.empty()) noteError(batch, row, fields, storm.error);
      } else {
        appendNoResults(out, reading.error);
        noteError(batch, row, fields, reading.error);
      }
      out += '\n';
    }
  }

 private:
  // The fields of a row, as many as the header names; those the row lacks are empty.
  static void rowFields(const Batch& batch, std::size_t row,
                        std::vector<std::string_view>& fields) {
    const std::size_t first = row == 0 ? 0 : batch.rowEnds[row - 1];
    const std::size_t count = batch.rowEnds[row] - first;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      fields[i] = i < count ? batch.field(first + i) : std::string_view();
    }
  }

  // The answers of each row of the batch, or why they cannot be read.
  void readRows(const Batch& batch, std::vector<AnswerReading>& readings) const {
    std::vector<std::string_view> fields(header_.names.size());
    readings.clear();
    auto fault = batch.faults.begin();
    for (std::size_t row = 0; row < batch.rows(); ++row) {
      rowFields(batch, row, fields);
      const std::size_t count = batch.rowEnds[row] - (row == 0 ? 0 : batch.rowEnds[row - 1]);
      const bool faulted = fault != batch.faults.end() && fault->row == row;
      const std::string shapeError =
          rowShapeError(header_, count, faulted ? (fault++)->fault : CsvFault{});
      readings.push_back(shapeError.empty() ? readAnswers(header_.positions, fields)
                                            : AnswerReading{StormAnswers{}, shapeError});
    }
  }

  // Counts a row with an error, and names the first few.
  void noteError(Batch& batch, std::size_t row, const std::vector<std::string_view>& fields,
                 const std::string& error) const {
    ++batch.errors;
    if (batch.firstErrors.size() == kNamedRowErrors) return;
    const std::string_view id = idColumn_ ? fields[*idColumn_] : std::string_view();
    batch.firstErrors.push_back({rowName(batch.lines[row], header_, idColumn_, id), error});
  }

  TableHeader header_;
  std::optional<std::size_t> idColumn_;  // the column that names rows in messages
};

class TableRun final : public CsvRecordHandler {
 public:
  TableRun(ByteSource& source, ByteSink& sink, const TableSettings& settings)
      : source_(source), sink_(sink), settings_(settings) {}
  TableRun(const TableRun&) = delete;
  TableRun& operator=(const TableRun&) = delete;
  // A run left with batches in flight (an exception) lets their threads go without writing.
  ~TableRun() {
    {
      const std::lock_guard lock(turnMutex_);
      abandoned_ = true;
    }
    turn_.notify_all();
    workers_.reset();
  }

  TableOutcome run() {
    CsvReader reader(*this, settings_.delimiter);
    reader_ = &reader;
    std::vector<char> buffer(kReadSize);
    while (!halted_) {
      if (stopRequested()) break;
      if (rowsPending() && source_.wouldWait()) writeRowsRead();
      const long count = source_.read(buffer.data(), buffer.size());
      if (count < 0) {
        if (source_.interrupted()) continue;
        fail(TableOutcome::End::readFailed, source_.failure());
      } else if (count == 0) {
        if (!reader.finish()) fail(TableOutcome::End::readFailed, reader.error());
        break;
      } else if (!reader.read(std::string_view(buffer.data(), std::size_t(count)))) {
        fail(TableOutcome::End::readFailed, reader.error());
      }
    }
    if (!computer_ && !halted_ && !stopRequested()) {
      fail(TableOutcome::End::unreadable, "no header row");
    }
    // The rows read whole are written, unless writing is what failed.
    if (current_ && current_->rows() > 0 && outcome_.end != TableOutcome::End::writeFailed) {
      dispatch();
    }
    drain();
    workers_.reset();
    if (!halted_ && stopRequested()) {
      outcome_.end = TableOutcome::End::stopped;
      outcome_.message = "stopped";
    }
    return outcome_;
  }

  void onRecord(const CsvRecord& record) override {
    if (halted_) return;
    if (!computer_) {
      readHeaderRecord(record);
      return;
    }
    if (!current_) current_ = takeBatch();
    current_->add(record);
    if (current_->rows() >= settings_.batchRows || current_->text.size() >= kBatchText) {
      dispatch();
    }
  }

 private:
  bool stopRequested() const {
    return settings_.stop != nullptr && settings_.stop->load(std::memory_order_relaxed);
  }

  void fail(TableOutcome::End end, std::string message) {
    if (halted_) return;
    halted_ = true;
    // Before the header is written nothing is: the table could not be read at all.
    outcome_.end = headerWritten_ || end == TableOutcome::End::writeFailed
                       ? end
                       : TableOutcome::End::unreadable;
    outcome_.message = std::move(message);
  }

  void readHeaderRecord(const CsvRecord& record) {
    TableHeader header = readTableHeader(record);
    if (!header.error.empty()) {
      outcome_.separator = header.separator;
      fail(TableOutcome::End::unreadable, header.error);
      return;
    }
    std::optional<std::size_t> idColumn;
    if (!findIdColumn(header, settings_.idColumn, idColumn)) {
      fail(TableOutcome::End::unreadable, "no column " + settings_.idColumn + " (--id)");
      return;
    }
    reader_->keepWithinLine(inputFields(header));
    std::string out;
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (i > 0) out += ',';
      appendCsvField(out, record.field(i));
    }
    for (const std::string& name : resultColumnNames()) out += "," + name;
    out += '\n';
    computer_ = std::make_unique<RowComputer>(std::move(header), idColumn);
    if (!sink_.write(out)) {
      fail(TableOutcome::End::writeFailed, sink_.failure());
      return;
    }
    headerWritten_ = true;
    // This thread computes too, while it waits for a batch: a thread more than there are
    // cores would share them with the workers.
    if (settings_.jobs > 1) workers_ = std::make_unique<WorkerPool>(settings_.jobs - 1);
  }

  std::unique_ptr<Batch> takeBatch() {
    if (spare_.empty()) return std::make_unique<Batch>();
    std::unique_ptr<Batch> batch = std::move(spare_.back());
    spare_.pop_back();
    batch->clear();
    return batch;
  }

  // Hands the current batch on, and counts the batches written, keeping a bounded number in
  // flight.
  void dispatch() {
    std::unique_ptr<Batch> batch = std::move(current_);
    Batch& submitted = *batch;
    submitted.sequence = dispatched_++;
    if (!workers_) {
      computeAndWrite(submitted);
      countWritten(submitted);
      spare_.push_back(std::move(batch));
      return;
    }
    submitted.task.run = [this, &submitted] { computeAndWrite(submitted); };
    workers_->submit(submitted.task);
    inFlight_.push_back(std::move(batch));
    while (!inFlight_.empty() && workers_->isDone(inFlight_.front()->task)) countFront();
    const std::size_t limit = 2 * std::size_t(settings_.jobs) + 1;
    while (inFlight_.size() > limit) {
      finishFront();
      countFront();
    }
  }

  bool rowsPending() const { return (current_ && current_->rows() > 0) || !inFlight_.empty(); }

  // Computes and writes every row read so far.
  void writeRowsRead() {
    if (current_ && current_->rows() > 0) dispatch();
    drain();
  }

  // Computes a batch, and writes its results once those of the batches before it are written
  // (after a failed write, nothing more). The results stay with the thread that computed them:
  // written by the reading thread, they would cross to its core.
  void computeAndWrite(Batch& batch) {
    thread_local std::string out;
    out.clear();
    computer_->compute(batch, out);
    std::unique_lock lock(turnMutex_);
    turn_.wait(lock, [&] { return written_ == batch.sequence || abandoned_; });
    if (abandoned_) return;
    if (!writeFailed_) {
      if (settings_.rowLine) {
        for (const std::size_t line : batch.lines) settings_.rowLine(line);
      }
      if (sink_.write(out)) {
        batch.written = Batch::Written::whole;
      } else {
        writeFailed_ = true;
        batch.written = Batch::Written::failed;
        batch.rowsKept =
            wholeRecords(std::string_view(out).substr(0, sink_.keptOfFailedWrite())).count;
      }
    }
    ++written_;
    turn_.notify_all();
  }

  // Waits for the first batch in flight, computing batches not yet started meanwhile.
  void finishFront() {
    const PoolTask& front = inFlight_.front()->task;
    while (!workers_->isDone(front)) {
      if (!workers_->runWaitingTask()) workers_->waitFor(front);
    }
  }

  void countFront() {
    std::unique_ptr<Batch> batch = std::move(inFlight_.front());
    inFlight_.pop_front();
    countWritten(*batch);
    spare_.push_back(std::move(batch));
  }

  // Waits for every batch in flight, and counts it.
  void drain() {
    while (!inFlight_.empty()) {
      finishFront();
      countFront();
    }
  }

  // Counts the rows of a batch that was written, and ends the run at a failed write.
  void countWritten(const Batch& batch) {
    if (batch.written == Batch::Written::failed) {
      outcome_.rows += batch.rowsKept;
      fail(TableOutcome::End::writeFailed, sink_.failure());
      return;
    }
    if (batch.written == Batch::Written::no) return;
    outcome_.rows += batch.rows();
    outcome_.rowsWithError += batch.errors;
    for (const RowError& named : batch.firstErrors) {
      if (outcome_.firstErrors.size() < kNamedRowErrors) outcome_.firstErrors.push_back(named);
    }
    if (settings_.progress) settings_.progress(outcome_.rows);
  }

  ByteSource& source_;
  ByteSink& sink_;
  const TableSettings& settings_;
  CsvReader* reader_ = nullptr;            // while run() reads
  std::unique_ptr<RowComputer> computer_;  // once the header is read
  std::unique_ptr<WorkerPool> workers_;
  std::unique_ptr<Batch> current_;
  std::deque<std::unique_ptr<Batch>> inFlight_;
  std::vector<std::unique_ptr<Batch>> spare_;
  std::mutex turnMutex_;
  std::condition_variable turn_;
  std::size_t dispatched_ = 0;  // batches handed on to be computed
  std::size_t written_ = 0;     // of those, the batches whose turn to write has passed
  bool writeFailed_ = false;
  bool abandoned_ = false;  // the run ends with batches in flight: none waits for its turn
  bool headerWritten_ = false;
  bool halted_ = false;
  TableOutcome outcome_;
};

}  // namespace

TableOutcome runTable(ByteSource& source, ByteSink& sink, const TableSettings& settings) {
  TableRun run(source, sink, settings);
  return run.run();
}

}  // namespace littoral
