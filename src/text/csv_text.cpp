#include "csv_text.hpp"

namespace littoral {
void appendCsvField(std::string& out, std::string_view field) {
  bool plain = true;
  for (const char c : field) plain = plain && c != ',' && c != '"' && c != '\r' && c != '\n';
  if (plain) {
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

}  // namespace littoral
