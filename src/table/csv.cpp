#include "csv.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace littoral {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

// The bytes of a block that a plain line's reading looks for, a bit each, the first byte lowest.
struct ByteMarks {
  unsigned delimiters;
  unsigned lineEnds;  // LF
  unsigned others;    // a quote or CR: the line is not plain
};

// The marks of one byte: the bytes after the last whole block, and every byte where the
// processor has no vectors of 16.
ByteMarks markByte(const char* at, char delimiter) {
  return {unsigned(*at == delimiter), unsigned(*at == '\n'), unsigned(*at == '"' || *at == '\r')};
}

#if defined(__SSE2__)
constexpr std::size_t kMarkBlock = 16;
ByteMarks markBytes(const char* at, char delimiter) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const auto marked = [&](char byte) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(byte)); };
  return {unsigned(_mm_movemask_epi8(marked(delimiter))), unsigned(_mm_movemask_epi8(marked('\n'))),
          unsigned(_mm_movemask_epi8(_mm_or_si128(marked('"'), marked('\r'))))};
}
#elif defined(__wasm_simd128__)
constexpr std::size_t kMarkBlock = 16;
ByteMarks markBytes(const char* at, char delimiter) {
  const v128_t bytes = wasm_v128_load(at);
  const auto marked = [&](char byte) { return wasm_i8x16_eq(bytes, wasm_i8x16_splat(byte)); };
  return {wasm_i8x16_bitmask(marked(delimiter)), wasm_i8x16_bitmask(marked('\n')),
          wasm_i8x16_bitmask(wasm_v128_or(marked('"'), marked('\r')))};
}
#else
constexpr std::size_t kMarkBlock = 1;
ByteMarks markBytes(const char* at, char delimiter) { return markByte(at, delimiter); }
#endif

}  // namespace

const char* CsvFault::description() const {
  switch (kind) {
    case Kind::textAfterQuote:
      return "text after a closing quote";
    case Kind::quotePastLineEnd:
      return "a quoted value runs past the end of the line";
    case Kind::none:
      break;
  }
  return "";
}

CsvReader::CsvReader(CsvRecordHandler& handler, char delimiter)
    : handler_(handler), delimiter_(delimiter) {}

void CsvReader::keepWithinLine(std::vector<bool> fields) { withinLine_ = std::move(fields); }

bool CsvReader::read(std::string_view piece) {
  if (!error_.empty()) return false;
  if (!started_) {
    // Hold the first bytes until they show whether the text starts with a byte-order mark.
    const std::size_t take = std::min(piece.size(), kByteOrderMark.size() - start_.size());
    start_.append(piece.substr(0, take));
    piece.remove_prefix(take);
    if (start_.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(start_)) return true;
    started_ = true;
    if (start_ == kByteOrderMark) {
      offset_ = kByteOrderMark.size();
    } else if (!readPiece(start_)) {
      return false;
    }
  }
  return readPiece(piece);
}

bool CsvReader::finish() {
  if (!error_.empty()) return false;
  if (!started_) {
    started_ = true;
    if (start_ != kByteOrderMark && !readPiece(start_)) return false;
  }
  switch (state_) {
    case State::recordStart:
      return true;
    case State::quoted:
      if (withinLine(record_.size())) fault(CsvFault::Kind::quotePastLineEnd, false);
      break;
    case State::fieldStart:
    case State::unquoted:
    case State::quoteInQuoted:
      break;
  }
  endField();
  endRecord();
  return true;
}

bool CsvReader::readPiece(std::string_view piece) {
  pieceStart_ = piece.data();
  const char* at = piece.data();
  const char* const end = at + piece.size();
  while (at < end) {
    switch (state_) {
      case State::recordStart:
        if (isLineEnd(*at)) {  // a blank line
          countLineEnd(at);
          ++at;
          continue;
        }
        if (const char* next = readPlainLine(at, end)) {
          at = next;
          continue;
        }
        startRecord(at);
        break;
      case State::fieldStart:
        if (*at == '"' && !record_.fault) {
          state_ = State::quoted;
          ++at;
        } else {
          state_ = State::unquoted;
        }
        break;
      case State::unquoted:
        at = readUnquoted(at, end);
        break;
      case State::quoted:
        at = readQuoted(at, end);
        break;
      case State::quoteInQuoted:
        at = readAfterQuote(at);
        break;
    }
    if (record_.text.size() + record_.size() * sizeof(std::size_t) > kMaxRecordBytes) {
      error_ = "record " + std::to_string(records_ + 1) + " is longer than " +
               std::to_string(kMaxRecordBytes >> 20) + " MiB (a quote that is never closed?)";
      return false;
    }
  }
  offset_ += piece.size();
  return true;
}

const char* CsvReader::readUnquoted(const char* at, const char* end) {
  const char* stop = at;
  while (stop < end && *stop != delimiter_ && !isLineEnd(*stop)) ++stop;
  record_.text.append(at, stop);
  if (stop == end) return end;
  if (*stop != delimiter_) countLineEnd(stop);
  endField();
  if (*stop != delimiter_) endRecord();
  return stop + 1;
}

// The LF that ends a plain line from `at`: a whole line in the piece with no quote and no CR, short
// enough for its fields' ends to stay below the record limit, with its delimiters in
// delimiters_; null for any other. The bytes are looked at 16 at a time where the processor has
// vectors of 16, in one pass.
const char* CsvReader::findPlainLineEnd(const char* at, const char* end) {
  constexpr std::size_t kLongest = kMaxRecordBytes / (1 + sizeof(std::size_t));
  if (std::size_t(end - at) > kLongest + 1) end = at + kLongest + 1;
  delimiters_.clear();
  for (const char* block = at; block < end;) {
    const bool whole = std::size_t(end - block) >= kMarkBlock;
    ByteMarks marks = whole ? markBytes(block, delimiter_) : markByte(block, delimiter_);
    const unsigned beforeLineEnd =
        marks.lineEnds != 0 ? (marks.lineEnds & -marks.lineEnds) - 1 : ~0u;
    if ((marks.others & beforeLineEnd) != 0) return nullptr;
    for (marks.delimiters &= beforeLineEnd; marks.delimiters != 0;
         marks.delimiters &= marks.delimiters - 1) {
      delimiters_.push_back(block + std::countr_zero(marks.delimiters));
    }
    if (marks.lineEnds != 0) return block + std::countr_zero(marks.lineEnds);
    block += whole ? kMarkBlock : 1;
  }
  return nullptr;
}

// A whole line in the piece with no quote and no CR, the common record of a table, is split at
// its delimiters at once; null, with nothing read, for any other (a line too long for its
// fields' ends to stay below the record limit is read byte by byte).
const char* CsvReader::readPlainLine(const char* at, const char* end) {
  const char* const lineEnd = findPlainLineEnd(at, end);
  if (lineEnd == nullptr) return nullptr;
  startRecord(at);
  // A field of up to 16 bytes is copied as 16 (the piece permitting), in one move that needs no
  // call; the bytes after it are overwritten by the next field or cut off.
  constexpr std::size_t kShort = 16;
  record_.text.resize(std::size_t(lineEnd - at) + kShort);
  char* const text = record_.text.data();
  char* out = text;
  const char* field = at;
  const auto keepField = [&](const char* fieldEnd) {
    const auto size = std::size_t(fieldEnd - field);
    if (size <= kShort && std::size_t(end - field) >= kShort) {
      std::memcpy(out, field, kShort);
    } else {
      std::memcpy(out, field, size);
    }
    out += size;
    record_.ends.push_back(std::size_t(out - text));
  };
  for (const char* const delimiter : delimiters_) {
    keepField(delimiter);
    field = delimiter + 1;
  }
  keepField(lineEnd);
  record_.text.resize(std::size_t(out - text));
  countLineEnd(lineEnd);
  endRecord();
  return lineEnd + 1;
}

const char* CsvReader::readQuoted(const char* at, const char* end) {
  const char* stop = at;
  while (stop < end && *stop != '"' && !isLineEnd(*stop)) ++stop;
  record_.text.append(at, stop);
  if (stop == end) return end;
  if (*stop == '"') {
    state_ = State::quoteInQuoted;
    return stop + 1;
  }
  if (withinLine(record_.size())) {
    fault(CsvFault::Kind::quotePastLineEnd, false);
    countLineEnd(stop);
    endField();
    endRecord();
  } else {
    countLineEnd(stop);
    record_.text += *stop;
  }
  return stop + 1;
}

const char* CsvReader::readAfterQuote(const char* at) {
  if (*at == '"') {  // a doubled quote inside the value
    record_.text += '"';
    state_ = State::quoted;
  } else if (*at == delimiter_) {
    endField();
  } else if (isLineEnd(*at)) {
    countLineEnd(at);
    endField();
    endRecord();
  } else {
    fault(CsvFault::Kind::textAfterQuote, true);
    state_ = State::unquoted;
    return at;  // the text is read as part of the field
  }
  return at + 1;
}

void CsvReader::startRecord(const char* at) {
  record_.line = line_;
  record_.offset = offset_ + std::uint64_t(at - pieceStart_) + (*at == '"' ? 1 : 0);
  state_ = State::fieldStart;
}

void CsvReader::endField() {
  record_.ends.push_back(record_.text.size());
  fieldStart_ = record_.text.size();
  state_ = State::fieldStart;
}

void CsvReader::endRecord() {
  ++records_;
  handler_.onRecord(record_);
  record_.clear();
  fieldStart_ = 0;
  state_ = State::recordStart;
}

void CsvReader::countLineEnd(const char* at) {
  const std::uint64_t position = offset_ + std::uint64_t(at - pieceStart_);
  // The LF of a CR LF ends no further line.
  if (*at == '\r' || lastCr_ + 1 != position) ++line_;
  if (*at == '\r') lastCr_ = position;
}

void CsvReader::fault(CsvFault::Kind kind, bool closed) {
  if (!record_.fault) record_.fault = {kind, record_.size(), line_};
  // The field as it is written: its opening quote, its quotes doubled, its closing quote.
  std::string written = "\"";
  for (const char c : std::string_view(record_.text).substr(fieldStart_)) {
    if (c == '"') written += '"';
    written += c;
  }
  if (closed) written += '"';
  record_.text.replace(fieldStart_, std::string::npos, written);
}

CsvRecords wholeRecords(std::string_view text) {
  CsvRecords records;
  bool quoted = false;  // a doubled quote leaves and enters again
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == '\n' && !quoted) records = {i + 1, records.count + 1};
  }
  return records;
}

}  // namespace littoral
