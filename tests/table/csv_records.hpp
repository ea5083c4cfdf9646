#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "csv.hpp"

// The records of a CSV text as read by the table's reader, for the table's tests.
using Records = std::vector<std::vector<std::string>>;

class Collector final : public CsvRecordHandler {
 public:
  void onRecord(const CsvRecord& record) override {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.size(); ++i) fields.emplace_back(record.field(i));
    records.push_back(fields);
  }
  Records records;
};

// Reads the text handed over in pieces of the given size (0: all at once).
inline Records readInPieces(const std::string& text, std::size_t pieceSize = 0) {
  Collector collector;
  CsvReader reader(collector);
  const std::size_t step = pieceSize == 0 ? text.size() + 1 : pieceSize;
  for (std::size_t at = 0; at < text.size(); at += step) {
    EXPECT_TRUE(reader.read(std::string_view(text).substr(at, step))) << reader.error();
  }
  EXPECT_TRUE(reader.finish()) << reader.error();
  EXPECT_EQ(reader.records(), collector.records.size());
  return collector.records;
}
