#include "records.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

#include "real_text.hpp"

namespace littoral {
namespace {

constexpr std::size_t kRecordWidth = 80;
constexpr std::size_t kIntegerWidth = 12;
constexpr std::size_t kRealWidth = 15;

void appendRightJustified(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

// A real in 15 positions: the fixed form right-justified in 11 and four blanks after it, any
// other text right-justified in all 15.
void appendReal(std::string& out, float value) {
  char text[kRealTextSize];
  const char* end = writeRealText(text, value);
  const std::string_view written(text, std::size_t(end - text));
  const bool fixedForm = std::isfinite(value) && written.find('E') == std::string_view::npos;
  if (!fixedForm) return appendRightJustified(out, written, kRealWidth);
  appendRightJustified(out, written, kRealWidth - 4);
  out += "    ";
}

void appendInteger(std::string& out, std::int32_t value) {
  char buffer[16];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  appendRightJustified(out, std::string_view(buffer, std::size_t(end - buffer)), kIntegerWidth);
}

// Builds the records of one statement into a single text.
class RecordBuilder {
 public:
  RecordBuilder() {
    text_.reserve(2 * kRecordWidth);
    text_ += ' ';
  }

  void addNumber(const Item& item) {
    const std::size_t width = item.kind == Item::Kind::integer ? kIntegerWidth : kRealWidth;
    if (room() < width) endRecord();
    if (item.kind == Item::Kind::integer) {
      appendInteger(text_, item.integer);
    } else {
      appendReal(text_, item.real);
    }
    hasItems_ = true;
    lastWasNumber_ = true;
  }

  void addText(std::string_view text) {
    const std::size_t needed = text.size() + (lastWasNumber_ ? 1 : 0);
    if (needed > room() && hasItems_) endRecord();
    if (lastWasNumber_) text_ += ' ';
    // A text longer than a whole record fills successive records.
    while (text.size() > room()) {
      const std::size_t piece = room();
      text_ += text.substr(0, piece);
      text.remove_prefix(piece);
      endRecord();
    }
    text_ += text;
    hasItems_ = true;
    lastWasNumber_ = false;
  }

  std::string finish() {
    text_ += "\r\n";
    return std::move(text_);
  }

 private:
  std::size_t room() const { return kRecordWidth - (text_.size() - recordStart_); }

  void endRecord() {
    text_ += "\r\n";
    recordStart_ = text_.size();
    text_ += ' ';
    hasItems_ = false;
    lastWasNumber_ = false;
  }

  std::string text_;
  std::size_t recordStart_ = 0;
  bool hasItems_ = false;
  bool lastWasNumber_ = false;
};

}  // namespace

std::string formatReal(float value) {
  std::string field;
  appendReal(field, value);
  return field;
}

std::string formatInteger(std::int32_t value) {
  std::string field;
  appendInteger(field, value);
  return field;
}

std::string layoutRecords(std::initializer_list<Item> items) {
  RecordBuilder builder;
  for (const Item& item : items) {
    if (item.kind == Item::Kind::text) {
      builder.addText(item.text);
    } else {
      builder.addNumber(item);
    }
  }
  return builder.finish();
}

}  // namespace littoral
