#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "csv.hpp"
#include "littoral/storm.hpp"

// The columns of a storm table: the answers of a storm read from a row's fields by the header's
// names, and the values of the storm written as the result columns.

namespace littoral {

// The input columns, found by name in the header.
enum class InputColumn : std::size_t {
  gravity,
  depth,
  fetch,
  fetchUnit,
  windSpeed,
  speedUnit,
  durationHours,
  rt,
  rl,
  localDepth,
  angleDegrees,
  beachSlope,        // optional column
  settlingVelocity,  // optional column
  count
};

inline constexpr std::size_t kInputColumnCount = static_cast<std::size_t>(InputColumn::count);

// The header name of each input column.
extern const std::array<std::string_view, kInputColumnCount> kInputColumnNames;

// The names of the result columns, in their order.
const std::vector<std::string>& resultColumnNames();

// Where each input column is in a row; an optional column may be missing.
struct ColumnPositions {
  std::array<std::optional<std::size_t>, kInputColumnCount> at{};
};

// Finds the input columns in the header. Blanks around a header name are ignored. The error
// names every required column that is missing, an input column given twice, or a column named
// like a result column (its values would be mistaken for the results). When the required
// columns are missing because the names are separated by another character (a semicolon, as a
// spreadsheet set to a European locale writes CSV), the error names that character instead.
struct HeaderReading {
  ColumnPositions positions;
  std::string error;   // empty when the header can be used
  char separator = 0;  // the character that separates the names, when the error names one
};
HeaderReading readHeader(const std::vector<std::string_view>& names);

// A table's header record as its rows are read: the input columns, and the name of each field
// as a message gives it.
struct TableHeader {
  ColumnPositions positions;
  std::vector<std::string> names;  // the header's names without their blanks
  std::string error;               // empty when the header can be used
  char separator = 0;              // as in HeaderReading
};

// Reads the header record of a table. Beside readHeader's errors, the error names a quoting
// fault in the header, and an unexpected byte (a second byte-order mark, a control byte)
// before the first name with its place in the table, when the header cannot be used.
TableHeader readTableHeader(const CsvRecord& record);

// How a delimiter is given on the command line: ";" as --delimiter ';', a tab as
// --delimiter tab.
std::string delimiterOption(char delimiter);

// The column whose values name a table's rows in messages: the one named `given` when it is
// not empty, otherwise the first named id, case or storm in any case; none when the table has
// none. False when `given` names no column of the header.
bool findIdColumn(const TableHeader& header, std::string_view given,
                  std::optional<std::size_t>& column);

// How a message names a row: by its line in the file, the header being line 1, and the value
// of its id column when the table has one: `line 7`, `line 7 (storm "NW-10")`.
std::string rowName(std::size_t line, const TableHeader& header,
                    std::optional<std::size_t> idColumn, std::string_view idValue);

// The fields of a row that hold input columns: their quoted values are kept within a line.
std::vector<bool> inputFields(const TableHeader& header);

// Why a row of fieldCount fields cannot be computed, whatever its values: its quoting fault
// ("line 3, beach_slope: text after a closing quote"), or a count of fields unlike the
// header's. Empty when its answers can be read.
std::string rowShapeError(const TableHeader& header, std::size_t fieldCount, const CsvFault& fault);

// A real as the console reads a plain decimal answer: blanks around it, a sign, digits with an
// optional point, an optional exponent after E, e, D or d; the nearest single. Nothing when the
// text is not such a number or lies beyond the single range.
std::optional<float> readReal(std::string_view text);

// A menu answer: 1 to 5 as the console reads an integer answer (1.9 is 1), or the unit's name.
// Nothing for anything else.
std::optional<std::int32_t> readFetchUnit(std::string_view text);
std::optional<std::int32_t> readSpeedUnit(std::string_view text);

// A field of a row: its text, or a number that a frame's float64 column holds. A number gives
// the answer its shortest decimal text gives, and an error quotes that text.
struct FieldView {
  std::string_view text;  // the field's text, when it holds no number
  double number = 0;
  bool holdsNumber = false;
};

// The field of a text, and of a frame's number (an empty field for NaN).
inline FieldView textField(std::string_view text) {
  return {.text = text, .number = 0, .holdsNumber = false};
}
inline FieldView numberField(double number) {
  if (std::isnan(number)) return {};
  return {.text = {}, .number = number, .holdsNumber = true};
}

// Reads one input column's field into its answer, as a row's field is read: the error names the
// column and the value, or is empty. An optional column's empty text gives no answer.
std::string readInputColumn(InputColumn column, const FieldView& field, StormAnswers& answers);
std::string readInputColumn(InputColumn column, std::string_view text, StormAnswers& answers);

// The answers of a row from its fields (as many as the header has), read in the order the
// console asks for them; the first that cannot be read is the error.
struct AnswerReading {
  StormAnswers answers;
  std::string error;  // names the column and the value; empty when every answer was read
};
AnswerReading readAnswers(const ColumnPositions& positions,
                          const std::vector<std::string_view>& fields);
AnswerReading readAnswers(const ColumnPositions& positions, const std::vector<FieldView>& fields);

// A frame's input column as readQuickAnswerColumns reads it: its numbers (float64, NaN for an
// empty field) or its fields' texts, row by row; neither for a column of no rows.
struct ColumnFields {
  const double* numbers = nullptr;
  const std::string_view* texts = nullptr;
};

// The field of a row of a frame's column, for readAnswers.
inline FieldView fieldAt(const ColumnFields& column, std::size_t row) {
  if (column.numbers) return numberField(column.numbers[row]);
  return column.texts ? textField(column.texts[row]) : FieldView();
}

// Reads the answers of the rows [first, first + answers.size()) of a frame's columns (by field)
// column by column, as readAnswers reads a row's fields, and sets quick for each row whose fields
// all read at once: plain decimals, numbers whose single is certain, unit names and menu numbers,
// and empty optional fields. The answers of the other rows are left unfinished; readAnswers
// reads them, and names the error of those that have one.
void readQuickAnswerColumns(const ColumnPositions& positions, std::span<const ColumnFields> columns,
                            std::size_t first, std::span<StormAnswers> answers,
                            std::span<std::uint8_t> quick);

// Appends the result fields of a storm, each preceded by a comma, in the order of
// resultColumns().
void appendResults(std::string& out, const StormAnswers& answers, const StormValues& values);

// Appends empty result fields and the error, for a row that could not be computed.
void appendNoResults(std::string& out, std::string_view error);

}  // namespace littoral
