#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "csv_text.hpp"

struct csv_parser;

// One record of a CSV text: its fields, unquoted, in a flat buffer.
struct CsvRecord {
  std::string text;               // the fields one after another
  std::vector<std::size_t> ends;  // the end of each field in text

  std::size_t size() const { return ends.size(); }
  std::string_view field(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : ends[i - 1];
    return std::string_view(text).substr(start, ends[i] - start);
  }
  void clear() {
    text.clear();
    ends.clear();
  }
};

// Receives the records of a CSV text in order.
class CsvRecordHandler {
 public:
  virtual void onRecord(const CsvRecord& record) = 0;

 protected:
  ~CsvRecordHandler() = default;
};

// Reads a CSV text (RFC 4180: commas, double quotes around a field that holds commas, quotes or
// line ends, a doubled quote inside one, records ended by LF or CR LF) handed over in pieces of
// any size. A UTF-8 byte-order mark at the very start is dropped; blank lines are no records;
// blanks around a value belong to it. A quote inside an unquoted field is an ordinary character.
class CsvReader {
 public:
  // A field, or a record, longer than this is taken for a quote that was never closed.
  static constexpr std::size_t kMaxRecordBytes = std::size_t(16) << 20;

  explicit CsvReader(CsvRecordHandler& handler);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // Reads the next piece; false when the text cannot be read on (see error()).
  bool read(std::string_view piece);

  // Ends the text: the last record needs no line end. False as read.
  bool finish();

  // Why reading stopped.
  const std::string& error() const { return error_; }

  // The records handed over so far.
  std::size_t records() const { return records_; }

 private:
  static void onField(void* data, std::size_t length, void* reader);
  static void onRecordEnd(int terminator, void* reader);
  bool checkParser(std::size_t parsed, std::size_t length);

  CsvRecordHandler& handler_;
  csv_parser* parser_;
  CsvRecord record_;
  std::string start_;  // the first bytes, until it is known whether they are a byte-order mark
  bool started_ = false;
  bool tooLong_ = false;
  std::size_t records_ = 0;
  std::string error_;
};
