#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "csv_text.hpp"

namespace littoral {
// A fault in the quotes of a record: the record ends at the line end that follows it, so that
// the records after it are read as they are written.
struct CsvFault {
  enum class Kind {
    none,
    textAfterQuote,   // a quoted value followed by text other than a comma or a line end
    quotePastLineEnd  // a quoted value in a field kept within a line that reaches its end
  };
  Kind kind = Kind::none;
  std::size_t field = 0;  // the field where the fault is, from 0
  std::size_t line = 0;   // the line of the text where the fault is, from 1

  explicit operator bool() const { return kind != Kind::none; }
  // What the fault is, as a message says it: "text after a closing quote".
  const char* description() const;
};

// One record of a CSV text: its fields, unquoted, in a flat buffer. A field at fault holds its
// text as it is written, quotes and all.
struct CsvRecord {
  std::string text;               // the fields one after another
  std::vector<std::size_t> ends;  // the end of each field in text
  std::size_t line = 0;           // the line of the text where the record starts, from 1
  std::uint64_t offset = 0;       // the byte of the text where the first field's value starts
  CsvFault fault;                 // the record's first fault

  std::size_t size() const { return ends.size(); }
  std::string_view field(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : ends[i - 1];
    return std::string_view(text).substr(start, ends[i] - start);
  }
  void clear() {
    text.clear();
    ends.clear();
    fault = {};
  }
};

// Receives the records of a CSV text in order.
class CsvRecordHandler {
 public:
  virtual void onRecord(const CsvRecord& record) = 0;

 protected:
  ~CsvRecordHandler() = default;
};

// Reads a CSV text (RFC 4180: commas, or another delimiter, double quotes around a field that holds
// commas, quotes or line ends, a doubled quote inside one, records ended by LF, CR LF or CR) handed
// over in pieces of any size. A UTF-8 byte-order mark at the very start is dropped; blank lines are
// no records but are counted; blanks around a value belong to it. A quote inside an unquoted field
// is an ordinary character. Text after a closing quote is a fault of the record: the field is kept
// as written and the rest of the line is read with its quotes as ordinary characters, so that the
// record ends at the line end.
class CsvReader {
 public:
  // A record longer than this is taken for a quote that was never closed.
  static constexpr std::size_t kMaxRecordBytes = std::size_t(16) << 20;

  // Fields are separated by `delimiter`: a comma, or a byte such as ';' or a tab that is no
  // quote and no line end (see isCsvDelimiter).
  explicit CsvReader(CsvRecordHandler& handler, char delimiter = ',');
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // Reads the next piece; false when the text cannot be read on (see error()).
  bool read(std::string_view piece);

  // Ends the text: the last record needs no line end. False as read.
  bool finish();

  // The fields, by position, whose quoted values may not hold a line end: such a quote that
  // reaches the end of its line is a fault, and the record ends there. May be called from
  // onRecord, for the records that follow.
  void keepWithinLine(std::vector<bool> fields);

  // Why reading stopped.
  const std::string& error() const { return error_; }

  // The records handed over so far.
  std::size_t records() const { return records_; }

 private:
  enum class State { recordStart, fieldStart, unquoted, quoted, quoteInQuoted };

  bool readPiece(std::string_view piece);
  const char* readPlainLine(const char* at, const char* end);
  const char* findPlainLineEnd(const char* at, const char* end);
  const char* readUnquoted(const char* at, const char* end);
  const char* readQuoted(const char* at, const char* end);
  const char* readAfterQuote(const char* at);
  void startRecord(const char* at);
  void endField();
  void endRecord();
  void countLineEnd(const char* at);
  void fault(CsvFault::Kind kind, bool closed);
  bool withinLine(std::size_t field) const {
    return field < withinLine_.size() && withinLine_[field];
  }

  CsvRecordHandler& handler_;
  char delimiter_;
  CsvRecord record_;
  State state_ = State::recordStart;
  std::size_t fieldStart_ = 0;  // where the current field starts in record_.text
  std::size_t line_ = 1;        // the line of the next byte
  std::uint64_t lastCr_ = std::numeric_limits<std::uint64_t>::max() - 1;  // where the last CR is
  std::uint64_t offset_ = 0;  // the bytes before the current piece
  const char* pieceStart_ = nullptr;
  std::vector<bool> withinLine_;
  std::vector<const char*> delimiters_;  // of the plain line being read
  std::string start_;  // the first bytes, until it is known whether they are a byte-order mark
  bool started_ = false;
  std::size_t records_ = 0;
  std::string error_;
};

// Whether a byte can separate the fields of a CSV text: any but a double quote, CR or LF.
inline bool isCsvDelimiter(char c) { return c != '"' && c != '\r' && c != '\n'; }

// The whole records at the start of a CSV text written as appendCsvField writes fields, where
// a line end outside quotes ends a record: their length and their count.
struct CsvRecords {
  std::size_t bytes = 0;
  std::size_t count = 0;
};
CsvRecords wholeRecords(std::string_view text);

}  // namespace littoral
