#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "csv.hpp"

// A wind record: the time, the speed and the direction the wind blows from of each reading,
// in time order, with the place each came from.

namespace littoral {

struct WindRecords {
  std::vector<std::int64_t> instants;  // seconds since 1970 UTC
  std::vector<std::int32_t> years;     // the calendar year of the time as written
  std::vector<double> speeds;          // in the record's unit; NaN when missing
  std::vector<double> directions;      // degrees true; NaN when missing
  std::vector<std::size_t> places;     // the line of the file (or the row) of each record
  std::string times;                   // the times as written, one after another
  std::vector<std::size_t> timeEnds;   // the end of each time in `times`

  std::size_t size() const { return instants.size(); }
  std::string_view time(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : timeEnds[i - 1];
    return std::string_view(times).substr(start, timeEnds[i] - start);
  }
  bool valid(std::size_t i) const {
    return speeds[i] == speeds[i] && directions[i] == directions[i];
  }
};

// The texts that mean a value is missing: an empty field, NA and NaN, and the marks given.
class MissingMarks {
 public:
  explicit MissingMarks(std::vector<std::string> marks = {}) : marks_(std::move(marks)) {}
  bool marks(std::string_view text) const;

 private:
  std::vector<std::string> marks_;
};

// The names of a wind record's columns.
struct WindColumns {
  std::string time = "time";
  std::string speed = "wind_speed";
  std::string direction = "wind_direction";
};

// Collects records one at a time and puts them in time order.
class WindRecordBuilder {
 public:
  // `place` names where a record came from in an error ("line" or "row"), `columns` its fields.
  WindRecordBuilder(MissingMarks missing, std::string place, WindColumns columns = {});

  // Makes room for `count` records whose times take `timeBytes` in all, so that the records
  // are not moved as they come.
  void reserve(std::size_t count, std::size_t timeBytes);

  // Adds a record from the texts of its fields; false with error() naming the place when a
  // field is neither a number nor missing, or the time cannot be read.
  bool add(std::size_t place, std::string_view time, std::string_view speed,
           std::string_view direction);

  // Adds a record whose values are numbers already (NaN when missing); false with error()
  // for an infinity.
  bool add(std::size_t place, std::string_view time, double speed, double direction);

  // Checks that the records are in time order, each after the one before; with `sort`, sorts
  // them by time and drops a record that repeats an earlier one exactly (same time and values).
  // False with error() naming the place of the first record out of order or repeated.
  bool order(bool sort);

  // Names the places 1, 2, ... in errors by these texts (a frame's index labels) instead of
  // their numbers.
  void namePlaces(std::vector<std::string> names);

  const std::string& error() const { return error_; }
  WindRecords& records() { return records_; }

 private:
  std::string placeText(std::size_t place) const;
  bool addTime(std::size_t place, std::string_view time);
  bool fail(std::size_t place, const std::string& message);
  void permute(const std::vector<std::size_t>& order);

  bool addValue(std::size_t place, const std::string& column, std::string_view text,
                std::vector<double>& values);

  MissingMarks missing_;
  std::string place_;
  std::vector<std::string> placeNames_;
  WindColumns columns_;
  WindRecords records_;
  std::string error_;
};

// Reads a wind record's CSV text, handed over in pieces of any size, into a builder: a header
// naming the columns, then one record a row. Each record's place is its line in the text, the
// header's being 1.
class WindCsvReader final : public CsvRecordHandler {
 public:
  WindCsvReader(WindColumns columns, WindRecordBuilder& builder);
  ~WindCsvReader();

  // Reads the next piece; false when the text cannot be read on (see error()).
  bool read(std::string_view piece);
  // Ends the text; false when it cannot be read (no header, a bad record).
  bool finish();
  const std::string& error() const { return error_; }

  void onRecord(const CsvRecord& record) override;

 private:
  bool readHeader(const CsvRecord& record);

  WindColumns columns_;
  WindRecordBuilder& builder_;
  std::unique_ptr<CsvReader> reader_;
  std::size_t line_ = 1;  // the line being read
  bool header_ = false;
  std::size_t fields_ = 0;
  std::size_t at_[3] = {};  // the time, speed and direction columns
  std::string error_;
};

}  // namespace littoral
