#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A storm table run: reads a CSV table of storms, computes one storm per row and writes the
// result table, in input order, in constant memory. Rows are read and written by the calling
// thread and computed in batches by worker threads.

namespace littoral {

// Where the table comes from.
class ByteSource {
 public:
  // Reads up to size bytes into buffer: the count read, 0 at the end, -1 after a failure (with
  // failure() telling why). A read that a signal interrupts may return -1 with interrupted().
  virtual long read(char* buffer, std::size_t size) = 0;
  virtual std::string failure() const = 0;
  virtual bool interrupted() const { return false; }
  // True when a read would wait for more of the table: the rows read so far are then computed
  // and written first.
  virtual bool wouldWait() { return false; }

 protected:
  ~ByteSource() = default;
};

// Where the result table goes. Each write is a number of whole records.
class ByteSink {
 public:
  // Writes all of the text; false after a failure (with failure() telling why).
  virtual bool write(std::string_view text) = 0;
  virtual std::string failure() const = 0;
  // After a failed write: the bytes of its text that were kept, whole records.
  virtual std::size_t keptOfFailedWrite() const { return 0; }

 protected:
  ~ByteSink() = default;
};

struct TableSettings {
  unsigned jobs = 1;            // threads that compute rows: the calling thread and jobs - 1 others
  std::size_t batchRows = 256;  // rows handed to a thread at a time
  // Checked between reads and batches: once true, the run stops after writing the rows that are
  // ready.
  const std::atomic<bool>* stop = nullptr;
  // Called after each batch written with the count of rows written so far.
  std::function<void(std::size_t rows)> progress;
  // Called, before a batch's result rows are written, with the line where each of its rows
  // starts in the table (the header being line 1), in order; by the thread that writes them.
  std::function<void(std::size_t line)> rowLine;
  char delimiter = ',';  // what separates the table's fields; the results are always CSV
  // The column that names rows in messages (see findIdColumn): empty for id, case or storm.
  std::string idColumn;
};

// A row with an error, as a message names it.
struct RowError {
  std::string row;    // `line 7 (storm "NW-10")`: see rowName
  std::string error;  // the row's error column
};

struct TableOutcome {
  enum class End {
    complete,     // every row read and written
    unreadable,   // no usable header: nothing was written
    readFailed,   // the table could not be read on: the rows before are written
    writeFailed,  // the results could not be written: the whole rows before are written
    stopped,      // the stop flag was raised: the rows before are written
  };
  End end = End::complete;
  std::size_t rows = 0;               // rows written
  std::size_t rowsWithError = 0;      // of those, rows with an error
  std::vector<RowError> firstErrors;  // the first kNamedRowErrors of them, in order
  std::string message;                // why the run did not complete
  char separator = 0;  // of an unreadable header whose names another character separates
};

// How many rows with an error a run names.
inline constexpr std::size_t kNamedRowErrors = 5;

TableOutcome runTable(ByteSource& source, ByteSink& sink, const TableSettings& settings);

}  // namespace littoral
