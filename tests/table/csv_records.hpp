#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "csv.hpp"

namespace littoral {
// The records of a CSV text as read by the table's reader, for the table's tests.
using Records = std::vector<std::vector<std::string>>;

class Collector final : public CsvRecordHandler {
 public:
  void onRecord(const CsvRecord& record) override {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.size(); ++i) fields.emplace_back(record.field(i));
    records.push_back(fields);
    lines.push_back(record.line);
    offsets.push_back(record.offset);
    faults.push_back(record.fault);
  }
  Records records;
  std::vector<std::size_t> lines;
  std::vector<std::uint64_t> offsets;
  std::vector<CsvFault> faults;
};

// Reads the text handed over in pieces of the given size (0: all at once) into the collector.
inline void readInPieces(Collector& collector, const std::string& text, std::size_t pieceSize,
                         std::vector<bool> withinLine = {}, char delimiter = ',') {
  CsvReader reader(collector, delimiter);
  reader.keepWithinLine(std::move(withinLine));
  const std::size_t step = pieceSize == 0 ? text.size() + 1 : pieceSize;
  for (std::size_t at = 0; at < text.size(); at += step) {
    EXPECT_TRUE(reader.read(std::string_view(text).substr(at, step))) << reader.error();
  }
  EXPECT_TRUE(reader.finish()) << reader.error();
  EXPECT_EQ(reader.records(), collector.records.size());
}

inline Records readInPieces(const std::string& text, std::size_t pieceSize = 0) {
  Collector collector;
  readInPieces(collector, text, pieceSize);
  return collector.records;
}

}  // namespace littoral
