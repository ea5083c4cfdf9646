#include "fetch_table.hpp"

#include <cmath>

#include "csv.hpp"
#include "csv_text.hpp"
#include "number_text.hpp"

namespace littoral {
namespace {

template <class Real>
bool readColumn(const char* column, std::string_view text, Real& value, std::string& error) {
  if (readRealText(trimBlanks(text), value) == NumberReading::number) return true;
  error = std::string(column) + ": \"" + std::string(text) + "\" is not a number";
  return false;
}

// Collects the rows of a fetch table's CSV text with the line each ends on.
class FetchCsv final : public CsvRecordHandler {
 public:
  explicit FetchCsv(FetchTable& table) : table_(table) {}

  void onRecord(const CsvRecord& record) override {
    if (!error.empty()) return;
    if (!header_) {
      readHeader(record);
      return;
    }
    if (record.size() != fields_) {
      fail("the row has " + std::to_string(record.size()) + " fields, the header " +
           std::to_string(fields_));
      return;
    }
    const std::string_view depth = depthAt_ ? record.field(*depthAt_) : std::string_view();
    std::string rowError;
    if (!addFetchRow(record.field(directionAt_), record.field(fetchAt_), depth, table_, rowError)) {
      fail(rowError);
    }
  }

  void fail(const std::string& message) { error = "line " + std::to_string(line) + ": " + message; }

  std::size_t line = 1;
  std::string error;
  bool header() const { return header_; }

 private:
  void readHeader(const CsvRecord& record) {
    std::optional<std::size_t> direction;
    std::optional<std::size_t> fetch;
    for (std::size_t i = 0; i < record.size(); ++i) {
      const std::string_view name = trimBlanks(record.field(i));
      std::optional<std::size_t>* column = name == "direction" ? &direction
                                           : name == "fetch"   ? &fetch
                                           : name == "depth"   ? &depthAt_
                                                               : nullptr;
      if (column == nullptr) continue;
      if (*column) {
        error = "the column \"" + std::string(name) + "\" is given twice";
        return;
      }
      *column = i;
    }
    if (!direction || !fetch) {
      error = std::string("no column ") + (direction ? "fetch"
                                           : fetch   ? "direction"
                                                     : "direction, fetch");
      return;
    }
    directionAt_ = *direction;
    fetchAt_ = *fetch;
    fields_ = record.size();
    header_ = true;
  }

  FetchTable& table_;
  bool header_ = false;
  std::size_t fields_ = 0;
  std::size_t directionAt_ = 0;
  std::size_t fetchAt_ = 0;
  std::optional<std::size_t> depthAt_;
};

}  // namespace

const FetchRow& FetchTable::nearest(double direction) const {
  std::size_t best = 0;
  double bestDistance = 360;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    // The distance around the circle, computed exactly: fmod is exact, and so is 360 - d for
    // d in (180, 360).
    double distance = std::fabs(direction - rows[i].direction);
    if (distance >= 360) distance = std::fmod(distance, 360.0);
    if (distance > 180) distance = 360 - distance;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return rows[best];
}

bool addFetchRow(std::string_view direction, std::string_view fetch, std::string_view depth,
                 FetchTable& table, std::string& error) {
  FetchRow row;
  if (!readColumn("direction", direction, row.direction, error) ||
      !readColumn("fetch", fetch, row.fetch, error)) {
    return false;
  }
  if (!(row.fetch >= 0)) {
    error = "fetch: \"" + std::string(fetch) + "\" is negative";
    return false;
  }
  if (!trimBlanks(depth).empty()) {
    float value = 0;
    if (!readColumn("depth", depth, value, error)) return false;
    row.depth = value;
  }
  table.rows.push_back(row);
  return true;
}

bool readFetchTable(std::string_view text, FetchTable& table, std::string& error) {
  FetchCsv rows(table);
  CsvReader reader(rows);
  while (!text.empty() && rows.error.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t take = end == std::string_view::npos ? text.size() : end + 1;
    if (!reader.read(text.substr(0, take))) rows.fail(reader.error());
    if (end != std::string_view::npos) ++rows.line;
    text.remove_prefix(take);
  }
  if (rows.error.empty() && !reader.finish()) rows.fail(reader.error());
  if (rows.error.empty() && !rows.header()) rows.error = "no header row";
  if (rows.error.empty() && table.rows.empty()) rows.error = "no rows";
  error = rows.error;
  return error.empty();
}

}  // namespace littoral
