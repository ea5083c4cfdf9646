#include "wind_record.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "csv_text.hpp"
#include "huge_pages.hpp"
#include "number_text.hpp"
#include "record_time.hpp"

namespace littoral {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// The value as an error shows it: quoted, and cut short when long.
std::string quoted(std::string_view value) {
  constexpr std::size_t kShown = 40;
  if (value.size() > kShown) return "\"" + std::string(value.substr(0, kShown - 3)) + "...\"";
  return "\"" + std::string(value) + "\"";
}

bool sameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

bool MissingMarks::marks(std::string_view text) const {
  text = trimBlanks(text);
  if (text.empty() || text == "NA" || text == "NaN") return true;
  return std::find(marks_.begin(), marks_.end(), text) != marks_.end();
}

WindRecordBuilder::WindRecordBuilder(MissingMarks missing, std::string place, WindColumns columns)
    : missing_(std::move(missing)), place_(std::move(place)), columns_(std::move(columns)) {}

void WindRecordBuilder::reserve(std::size_t count, std::size_t timeBytes) {
  records_.instants.reserve(count);
  records_.years.reserve(count);
  records_.speeds.reserve(count);
  records_.directions.reserve(count);
  records_.places.reserve(count);
  records_.timeEnds.reserve(count);
  records_.times.reserve(timeBytes);
  adviseHugePages(records_.instants);
  adviseHugePages(records_.years);
  adviseHugePages(records_.speeds);
  adviseHugePages(records_.directions);
  adviseHugePages(records_.places);
  adviseHugePages(records_.timeEnds);
  adviseHugePages(records_.times);
}

void WindRecordBuilder::namePlaces(std::vector<std::string> names) {
  placeNames_ = std::move(names);
}

std::string WindRecordBuilder::placeText(std::size_t place) const {
  if (place >= 1 && place <= placeNames_.size()) return place_ + " " + placeNames_[place - 1];
  return place_ + " " + std::to_string(place);
}

bool WindRecordBuilder::fail(std::size_t place, const std::string& message) {
  error_ = placeText(place) + ": " + message;
  return false;
}

bool WindRecordBuilder::addTime(std::size_t place, std::string_view time) {
  const std::optional<RecordTime> read = readRecordTime(time);
  if (!read) {
    if (trimBlanks(time).empty()) return fail(place, columns_.time + ": no time");
    return fail(place, columns_.time + ": " + quoted(time) +
                           " is not a time such as 2016-01-09 17:00 or 2016-01-09T17:00:00Z");
  }
  records_.instants.push_back(read->instant);
  records_.years.push_back(read->year);
  records_.places.push_back(place);
  records_.times += time;
  records_.timeEnds.push_back(records_.times.size());
  return true;
}

bool WindRecordBuilder::addValue(std::size_t place, const std::string& column,
                                 std::string_view text, std::vector<double>& values) {
  if (missing_.marks(text)) {
    values.push_back(kMissing);
    return true;
  }
  double value = 0;
  switch (readRealText(trimBlanks(text), value)) {
    case NumberReading::number:
      values.push_back(value);
      return true;
    case NumberReading::outOfRange:
      return fail(place, column + ": " + quoted(text) + " is beyond the range of numbers");
    case NumberReading::notNumber:
      break;
  }
  return fail(place, column + ": " + quoted(text) + " is not a number (nor a missing value)");
}

bool WindRecordBuilder::add(std::size_t place, std::string_view time, std::string_view speed,
                            std::string_view direction) {
  const std::size_t count = records_.size();
  if (addValue(place, columns_.speed, speed, records_.speeds) &&
      addValue(place, columns_.direction, direction, records_.directions) && addTime(place, time)) {
    return true;
  }
  records_.speeds.resize(count);
  records_.directions.resize(count);
  return false;
}

bool WindRecordBuilder::add(std::size_t place, std::string_view time, double speed,
                            double direction) {
  // NaN is missing; an infinity is no number, as its text is not.
  if (std::isinf(speed)) return fail(place, columns_.speed + ": an infinity is not a number");
  if (std::isinf(direction)) {
    return fail(place, columns_.direction + ": an infinity is not a number");
  }
  if (!addTime(place, time)) return false;
  records_.speeds.push_back(speed);
  records_.directions.push_back(direction);
  return true;
}

void WindRecordBuilder::permute(const std::vector<std::size_t>& order) {
  WindRecords sorted;
  for (const std::size_t i : order) {
    sorted.instants.push_back(records_.instants[i]);
    sorted.years.push_back(records_.years[i]);
    sorted.speeds.push_back(records_.speeds[i]);
    sorted.directions.push_back(records_.directions[i]);
    sorted.places.push_back(records_.places[i]);
    sorted.times += records_.time(i);
    sorted.timeEnds.push_back(sorted.times.size());
  }
  records_ = std::move(sorted);
}

bool WindRecordBuilder::order(bool sort) {
  WindRecords& r = records_;
  const auto timeOf = [&r](std::size_t i) { return "\"" + std::string(r.time(i)) + "\""; };
  if (!sort) {
    for (std::size_t i = 1; i < r.size(); ++i) {
      if (r.instants[i] > r.instants[i - 1]) continue;
      const std::string before = placeText(r.places[i - 1]);
      if (r.instants[i] == r.instants[i - 1]) {
        return fail(r.places[i], "the time " + timeOf(i) + " repeats the time of " + before);
      }
      return fail(r.places[i], "the time " + timeOf(i) + " comes before the time " + timeOf(i - 1) +
                                   " of " + before + ": the records are not in time order");
    }
    return true;
  }
  std::vector<std::size_t> order(r.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&r](std::size_t a, std::size_t b) { return r.instants[a] < r.instants[b]; });
  std::vector<std::size_t> kept;
  kept.reserve(order.size());
  for (const std::size_t i : order) {
    if (!kept.empty() && r.instants[kept.back()] == r.instants[i]) {
      const std::size_t earlier = kept.back();
      if (sameValue(r.speeds[earlier], r.speeds[i]) &&
          sameValue(r.directions[earlier], r.directions[i])) {
        continue;
      }
      return fail(r.places[i], "the time " + timeOf(i) + " repeats the time of " +
                                   placeText(r.places[earlier]) + " with other values");
    }
    kept.push_back(i);
  }
  permute(kept);
  return true;
}

WindCsvReader::WindCsvReader(WindColumns columns, WindRecordBuilder& builder)
    : columns_(std::move(columns)),
      builder_(builder),
      reader_(std::make_unique<CsvReader>(*this)) {}

WindCsvReader::~WindCsvReader() = default;

bool WindCsvReader::read(std::string_view piece) {
  // Line by line, so that each record is known by the line it ends on.
  while (!piece.empty() && error_.empty()) {
    const std::size_t end = piece.find('\n');
    const std::size_t take = end == std::string_view::npos ? piece.size() : end + 1;
    if (!reader_->read(piece.substr(0, take))) {
      error_ = "line " + std::to_string(line_) + ": " + reader_->error();
    }
    if (end != std::string_view::npos) ++line_;
    piece.remove_prefix(take);
  }
  return error_.empty();
}

bool WindCsvReader::finish() {
  if (!error_.empty()) return false;
  if (!reader_->finish()) error_ = "line " + std::to_string(line_) + ": " + reader_->error();
  if (error_.empty() && !header_) error_ = "no header row";
  return error_.empty();
}

bool WindCsvReader::readHeader(const CsvRecord& record) {
  const std::string* names[3] = {&columns_.time, &columns_.speed, &columns_.direction};
  std::string missing;
  for (std::size_t column = 0; column < 3; ++column) {
    std::size_t found = record.size();
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (trimBlanks(record.field(i)) != *names[column]) continue;
      if (found != record.size()) {
        error_ = "the column \"" + *names[column] + "\" is given twice";
        return false;
      }
      found = i;
    }
    if (found == record.size()) missing += (missing.empty() ? "" : ", ") + *names[column];
    at_[column] = found;
  }
  if (!missing.empty()) {
    error_ = "no column " + missing;
    return false;
  }
  fields_ = record.size();
  header_ = true;
  return true;
}

void WindCsvReader::onRecord(const CsvRecord& record) {
  if (!error_.empty()) return;
  if (!header_) {
    readHeader(record);
    return;
  }
  if (record.size() != fields_) {
    error_ = "line " + std::to_string(line_) + ": the row has " + std::to_string(record.size()) +
             " fields, the header " + std::to_string(fields_);
    return;
  }
  if (!builder_.add(line_, record.field(at_[0]), record.field(at_[1]), record.field(at_[2]))) {
    error_ = builder_.error();
  }
}

}  // namespace littoral
