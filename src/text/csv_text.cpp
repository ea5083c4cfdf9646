#include "csv_text.hpp"

#include <array>
#include <cstring>

namespace littoral {
namespace {

// The bytes that make a field quoted: a comma, a quote, a CR and an LF.
constexpr auto kQuotedBytes = [] {
  std::array<bool, 256> quoted{};
  for (const unsigned char c : {',', '"', '\r', '\n'}) quoted[c] = true;
  return quoted;
}();

bool needsQuotes(std::string_view field) {
  bool quoted = false;
  for (const char c : field) quoted |= kQuotedBytes[static_cast<unsigned char>(c)];
  return quoted;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

void appendCsvField(std::string& out, std::string_view field) {
  if (!needsQuotes(field)) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void appendCsvFields(std::string& out, std::span<const std::string_view> fields) {
  std::size_t size = fields.empty() ? 0 : fields.size() - 1;
  bool quoted = false;
  for (const std::string_view field : fields) {
    size += field.size();
    quoted |= needsQuotes(field);
  }
  if (quoted) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) out += ',';
      appendCsvField(out, fields[i]);
    }
    return;
  }
  // No field is quoted: the fields and their commas are copied into room made at once.
  const std::size_t start = out.size();
  out.resize(start + size);
  char* at = out.data() + start;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) *at++ = ',';
    if (!fields[i].empty()) std::memcpy(at, fields[i].data(), fields[i].size());
    at += fields[i].size();
  }
}

}  // namespace littoral
