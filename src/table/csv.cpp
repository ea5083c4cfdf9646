#include "csv.hpp"

#include <csv.h>

#include <cstdlib>
#include <new>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Every character but the delimiter belongs to the field: no blanks are trimmed.
int noBlanks(unsigned char) { return 0; }

// The parser's field buffer may grow to the record limit and no further.
void* limitedRealloc(void* block, std::size_t size) {
  if (size > CsvReader::kMaxRecordBytes + 1) return nullptr;
  return std::realloc(block, size);
}

}  // namespace

CsvReader::CsvReader(CsvRecordHandler& handler) : handler_(handler), parser_(new csv_parser) {
  if (csv_init(parser_, 0) != 0) throw std::bad_alloc();
  csv_set_space_func(parser_, noBlanks);
  csv_set_realloc_func(parser_, limitedRealloc);
  csv_set_blk_size(parser_, 64 * 1024);
}

CsvReader::~CsvReader() {
  csv_free(parser_);
  delete parser_;
}

void CsvReader::onField(void* data, std::size_t length, void* reader) {
  auto& self = *static_cast<CsvReader*>(reader);
  if (self.tooLong_) return;
  CsvRecord& record = self.record_;
  if (record.text.size() + length + (record.ends.size() + 1) * sizeof(std::size_t) >
      kMaxRecordBytes) {
    self.tooLong_ = true;
    return;
  }
  record.text.append(static_cast<const char*>(data), length);
  record.ends.push_back(record.text.size());
}

void CsvReader::onRecordEnd(int, void* reader) {
  auto& self = *static_cast<CsvReader*>(reader);
  if (self.tooLong_) return;
  ++self.records_;
  self.handler_.onRecord(self.record_);
  self.record_.clear();
}

bool CsvReader::checkParser(std::size_t parsed, std::size_t length) {
  if (tooLong_ || (parsed < length && csv_error(parser_) == CSV_ENOMEM)) {
    error_ = "record " + std::to_string(records_ + 1) + " is longer than " +
             std::to_string(kMaxRecordBytes >> 20) + " MiB (a quote that is never closed?)";
    return false;
  }
  if (parsed < length) {
    error_ = std::string("record ") + std::to_string(records_ + 1) + ": " +
             csv_strerror(csv_error(parser_));
    return false;
  }
  return true;
}

bool CsvReader::read(std::string_view piece) {
  if (!error_.empty()) return false;
  if (!started_) {
    // Hold the first bytes until they show whether the text starts with a byte-order mark.
    const std::size_t take = std::min(piece.size(), kByteOrderMark.size() - start_.size());
    start_.append(piece.substr(0, take));
    piece.remove_prefix(take);
    if (start_.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(start_)) return true;
    started_ = true;
    if (start_ != kByteOrderMark) {
      const std::size_t parsed =
          csv_parse(parser_, start_.data(), start_.size(), onField, onRecordEnd, this);
      if (!checkParser(parsed, start_.size())) return false;
    }
  }
  const std::size_t parsed =
      csv_parse(parser_, piece.data(), piece.size(), onField, onRecordEnd, this);
  return checkParser(parsed, piece.size());
}

bool CsvReader::finish() {
  if (!error_.empty()) return false;
  if (!started_) {
    started_ = true;
    if (start_ != kByteOrderMark) {
      const std::size_t parsed =
          csv_parse(parser_, start_.data(), start_.size(), onField, onRecordEnd, this);
      if (!checkParser(parsed, start_.size())) return false;
    }
  }
  csv_fini(parser_, onField, onRecordEnd, this);
  return checkParser(0, 0);
}
