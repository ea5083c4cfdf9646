#pragma once

#include <span>
#include <string>
#include <string_view>

namespace littoral {
// Appends one field as spreadsheets write it: in double quotes, with its quotes doubled, only
// when it holds a comma, a quote, a CR or an LF.
void appendCsvField(std::string& out, std::string_view field);

// The text without the blanks and tabs around it, as a field's value is read.
std::string_view trimBlanks(std::string_view text);

// Appends the fields so, separated by commas.
void appendCsvFields(std::string& out, std::span<const std::string_view> fields);

}  // namespace littoral
