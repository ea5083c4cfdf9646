// Feeds arbitrary bytes as a storm table, in process, in pieces and on threads chosen from the
// input's size. Every input must end with a result table of whole rows, one per row read, or
// with a message and nothing written.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "csv.hpp"
#include "table_run.hpp"

namespace littoral {
namespace {

class BytesSource final : public ByteSource {
 public:
  BytesSource(const std::uint8_t* data, std::size_t size, std::size_t pieceSize)
      : data_(data), size_(size), pieceSize_(pieceSize) {}
  long read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, pieceSize_, size_ - at_});
    if (count > 0) std::memcpy(buffer, data_ + at_, count);
    at_ += count;
    return long(count);
  }
  std::string failure() const override { return "never"; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pieceSize_;
  std::size_t at_ = 0;
};

class TextSink final : public ByteSink {
 public:
  bool write(std::string_view rows) override {
    text += rows;
    return true;
  }
  std::string failure() const override { return "never"; }
  std::string text;
};

// Counts the records of the result table and checks that each has the header's width.
class ResultCheck final : public CsvRecordHandler {
 public:
  void onRecord(const CsvRecord& record) override {
    if (records == 0) width = record.size();
    if (record.size() != width) std::abort();
    ++records;
  }
  std::size_t records = 0;
  std::size_t width = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BytesSource source(data, size, 1 + size % 97);
  TextSink sink;
  TableSettings settings;
  settings.jobs = 1 + unsigned(size % 2);
  settings.batchRows = 1 + size % 5;
  const TableOutcome outcome = runTable(source, sink, settings);
  if (outcome.end == TableOutcome::End::unreadable) {
    if (outcome.message.empty() || !sink.text.empty()) std::abort();
    return 0;
  }
  if (outcome.end != TableOutcome::End::complete && outcome.message.empty()) std::abort();
  if (sink.text.empty() || sink.text.back() != '\n') std::abort();
  if (outcome.rowsWithError > outcome.rows) std::abort();
  ResultCheck check;
  CsvReader reader(check);
  if (!reader.read(sink.text) || !reader.finish()) std::abort();
  if (check.records != outcome.rows + 1) std::abort();
  return 0;
}

}  // namespace littoral
