#include "storm_columns.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <span>
#include <stdexcept>
#include <vector>

#include "columns.hpp"
#include "csv.hpp"
#include "csv_text.hpp"
#include "number_text.hpp"
#include "real_text.hpp"
#include "real_texts.hpp"
#include "storm_text.hpp"
#include "unit_names.hpp"

namespace littoral {
const std::array<std::string_view, kInputColumnCount> kInputColumnNames = {
    "gravity",          "depth", "fetch", "fetch_unit",  "wind_speed", "speed_unit",
    "duration_h",       "rt",    "rl",    "local_depth", "angle_deg",  "beach_slope",
    "settling_velocity"};

namespace {

bool isOptional(InputColumn column) {
  return column == InputColumn::beachSlope || column == InputColumn::settlingVelocity;
}

// The answer a required real column is read into; null for the other columns.
float StormAnswers::*requiredMemberOf(InputColumn column) {
  switch (column) {
    case InputColumn::gravity:
      return &StormAnswers::g;
    case InputColumn::depth:
      return &StormAnswers::depth;
    case InputColumn::fetch:
      return &StormAnswers::fetch;
    case InputColumn::windSpeed:
      return &StormAnswers::windSpeed;
    case InputColumn::durationHours:
      return &StormAnswers::durationHours;
    case InputColumn::rt:
      return &StormAnswers::rt;
    case InputColumn::rl:
      return &StormAnswers::rl;
    case InputColumn::localDepth:
      return &StormAnswers::localDepth;
    case InputColumn::angleDegrees:
      return &StormAnswers::angleDegrees;
    default:
      return nullptr;
  }
}

float* requiredAnswerOf(InputColumn column, StormAnswers& answers) {
  const auto member = requiredMemberOf(column);
  return member ? &(answers.*member) : nullptr;
}

// The answer an optional real column is read into; null for the other columns.
std::optional<float> StormAnswers::*optionalMemberOf(InputColumn column) {
  if (column == InputColumn::beachSlope) return &StormAnswers::beachSlope;
  if (column == InputColumn::settlingVelocity) return &StormAnswers::settlingVelocity;
  return nullptr;
}

std::optional<float>* optionalAnswerOf(InputColumn column, StormAnswers& answers) {
  if (column == InputColumn::beachSlope) return &answers.beachSlope;
  if (column == InputColumn::settlingVelocity) return &answers.settlingVelocity;
  return nullptr;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// A number of a field, read as the console reads an answer after the field's blanks.
NumberReading readRealAnswer(std::string_view text, float& value) {
  return readRealText(trimBlanks(text), value);
}

std::optional<std::int32_t> readIntegerAnswer(std::string_view text) {
  return readIntegerText(trimBlanks(text));
}

using UnitOfName = std::optional<std::int32_t> (*)(std::string_view);

// The choice of a menu answer: 1 to 5.
std::optional<std::int32_t> menuChoice(std::optional<std::int32_t> choice) {
  if (choice && *choice >= 1 && *choice <= 5) return choice;
  return std::nullopt;
}

// A menu answer: a unit's name, or 1 to 5 as the console reads an integer.
std::optional<std::int32_t> readUnit(std::string_view text, UnitOfName unitOfName) {
  const std::string_view name = trimBlanks(text);
  const std::optional<std::int32_t> named = unitOfName(name);
  if (named) return named;
  return menuChoice(readIntegerAnswer(name));
}

// Room for the shortest decimal text of any double ("-2.2250738585072014e-308").
using NumberText = std::array<char, 32>;

// A field's text: for a number, its shortest decimal text ("9.81", "1e+39", "inf") in buffer.
std::string_view fieldText(const FieldView& field, NumberText& buffer) {
  if (!field.holdsNumber) return field.text;
  const char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), field.number).ptr;
  return {buffer.data(), std::size_t(end - buffer.data())};
}

// The single next to a finite single, upward or downward (std::nextafter's, without its call).
// The largest single has none upward, and is not asked for one.
float nextSingleToward(float single, bool upward) {
  if (single == 0) {
    const float smallest = std::numeric_limits<float>::denorm_min();
    return upward ? smallest : -smallest;
  }
  const auto bits = std::bit_cast<std::uint32_t>(single);
  return std::bit_cast<float>((single > 0) == upward ? bits + 1 : bits - 1);
}

// The single that the shortest text of number reads as, when that is certainly the single nearest
// to the number: a number within the single range and not halfway between two singles. The
// shortest text reads back as the number, so no double lies between them; every halfway point
// between singles (and the single range's end) is a double, so the text and the number round to
// the same single unless the number is such a point itself. False for NaN and the infinities.
// (A bool and an out value: an optional single came back through memory, a byte and a word, and
// reading it whole waited for both to be stored.)
bool singleOfNumber(double number, float& single) {
  if (!(std::fabs(number) <= double(FLT_MAX))) return false;
  single = static_cast<float>(number);
  const double nearest = double(single);
  if (nearest == number) return true;
  const double neighbour = double(nextSingleToward(single, number > nearest));
  return number != (nearest + neighbour) / 2;  // a halfway point's text may round either way
}

// The value as an error shows it: quoted, and cut short when long.
std::string quoted(std::string_view value) {
  constexpr std::size_t kShown = 40;
  std::string text = "\"";
  if (value.size() <= kShown) {
    text += value;
  } else {
    std::size_t cut = kShown - 3;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    text += value.substr(0, cut);
    text += "...";
  }
  return text + "\"";
}

std::string columnError(InputColumn column, std::string_view value, const char* complaint) {
  std::string error(kInputColumnNames[static_cast<std::size_t>(column)]);
  if (trimBlanks(value).empty()) return error + ": no value";
  return error + ": " + quoted(value) + " " + complaint;
}

std::string unitError(InputColumn column, std::string_view value,
                      const std::array<std::string_view, 5>& names) {
  std::string complaint = "is not 1-5 or ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) complaint += ", ";
    complaint += names[i];
  }
  return columnError(column, value, complaint.c_str());
}

// Reads a real column into the answer; an error text when it cannot. A number is read by its text
// unless its single is certain.
std::string readRealColumn(InputColumn column, const FieldView& field, float& answer) {
  if (field.holdsNumber) {
    float single = 0;
    if (singleOfNumber(field.number, single)) {
      answer = single;
      return {};
    }
  }
  NumberText buffer;
  const std::string_view value = fieldText(field, buffer);
  switch (readRealAnswer(value, answer)) {
    case NumberReading::number:
      return {};
    case NumberReading::outOfRange:
      return columnError(column, value, "is beyond the single-precision range");
    case NumberReading::notNumber:
      break;
  }
  return columnError(column, value, "is not a number");
}

std::string readOptionalColumn(InputColumn column, const FieldView& field,
                               std::optional<float>& answer) {
  if (!field.holdsNumber && trimBlanks(field.text).empty()) return {};
  float read = 0;
  std::string error = readRealColumn(column, field, read);
  if (error.empty()) answer = read;
  return error;
}

// Reads a menu column into the answer; an error text when it cannot. A number is the choice of
// its integer part (its text reads back as the number itself); one refused is read by its text.
std::string readUnitColumn(InputColumn column, const FieldView& field,
                           const std::array<std::string_view, 5>& names, UnitOfName unitOfName,
                           std::int32_t& answer) {
  if (field.holdsNumber) {
    const std::optional<std::int32_t> choice = menuChoice(truncatedInteger(field.number));
    if (choice) {
      answer = *choice;
      return {};
    }
  }
  NumberText buffer;
  const std::string_view value = fieldText(field, buffer);
  const std::optional<std::int32_t> choice = readUnit(value, unitOfName);
  if (!choice) return unitError(column, value, names);
  answer = *choice;
  return {};
}

// The input columns in the order the dialogue asks for them: the first that cannot be read is
// the one a row's error names.
constexpr InputColumn kReadingOrder[] = {
    InputColumn::gravity,         InputColumn::depth,        InputColumn::fetchUnit,
    InputColumn::fetch,           InputColumn::speedUnit,    InputColumn::windSpeed,
    InputColumn::durationHours,   InputColumn::rt,           InputColumn::rl,
    InputColumn::localDepth,      InputColumn::angleDegrees, InputColumn::beachSlope,
    InputColumn::settlingVelocity};

// The single of a field that can be read at once: a plain decimal ("9.81", "-46.8"), the common
// field of a table, or a number whose single is certain (see singleOfNumber).
bool readQuickSingle(std::string_view text, float& value) { return readPlainDecimal(text, value); }
bool readQuickSingle(double number, float& value) {
  float single = 0;
  if (!singleOfNumber(number, single)) return false;
  value = single;
  return true;
}
bool readQuickSingle(const FieldView& field, float& value) {
  return field.holdsNumber ? readQuickSingle(field.number, value)
                           : readQuickSingle(field.text, value);
}

// Whether a frame's field is empty: a NaN number, or a text of blanks.
bool isEmptyField(double number) { return std::isnan(number); }
bool isEmptyField(std::string_view text) { return trimBlanks(text).empty(); }

// Reads a real column's field that readQuickSingle reads straight into its answer, as
// readInputColumn would read it; false, with nothing read, for any other field and for the menu
// columns.
template <typename Field>
bool readQuickAnswer(InputColumn column, const Field& field, StormAnswers& answers) {
  if (float* answer = requiredAnswerOf(column, answers)) return readQuickSingle(field, *answer);
  std::optional<float>* optional = optionalAnswerOf(column, answers);
  float value = 0;
  if (optional == nullptr || !readQuickSingle(field, value)) return false;
  *optional = value;
  return true;
}

// The answers of a row from its fields, text or FieldView (see readAnswers).
template <typename Field>
AnswerReading readAnswersOf(const ColumnPositions& positions, const std::vector<Field>& fields) {
  AnswerReading reading;
  for (const InputColumn column : kReadingOrder) {
    const auto& position = positions.at[static_cast<std::size_t>(column)];
    if (!position) continue;  // an optional column that the table does not have
    if (readQuickAnswer(column, fields[*position], reading.answers)) continue;
    reading.error = readInputColumn(column, fields[*position], reading.answers);
    if (!reading.error.empty()) break;
  }
  return reading;
}

// A byte that no column name begins with: a control byte, or one that begins no UTF-8
// character.
bool isUnexpectedStart(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xC2) || byte >= 0xF5;
}

std::string hexByte(unsigned char byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}

// What stands before the first column name when the name starts with a byte no name starts
// with, with its place in the table (from 1); empty otherwise.
std::string unexpectedStart(std::string_view name, std::uint64_t offset) {
  std::size_t at = 0;
  while (at < name.size() && (name[at] == ' ' || name[at] == '\t')) ++at;
  const std::string_view rest = name.substr(at);
  const std::string place = " at byte " + std::to_string(offset + at + 1) + " of the table";
  if (rest.starts_with("\xEF\xBB\xBF")) {
    return "a byte-order mark (EF BB BF)" + place +
           ", before the first column name: a table may start with one only";
  }
  if (rest.starts_with("\xFF\xFE") || rest.starts_with("\xFE\xFF")) {
    return "a UTF-16 byte-order mark (" + hexByte(rest[0]) + " " + hexByte(rest[1]) + ")" + place +
           ": the table must be UTF-8 text";
  }
  if (rest.empty() || !isUnexpectedStart(static_cast<unsigned char>(rest[0]))) return {};
  return "an unexpected byte 0x" + hexByte(rest[0]) + place + ", before the first column name";
}

// The input columns among the names, with the required ones that are missing. The reading's
// error names a column given twice or named like a result, not the missing ones.
struct ColumnSearch {
  HeaderReading reading;
  std::string missing;  // "fetch_unit, rt"
};

ColumnSearch findInputColumns(const std::vector<std::string_view>& names) {
  ColumnSearch search;
  HeaderReading& reading = search.reading;
  const std::vector<std::string>& results = resultColumnNames();
  for (std::size_t at = 0; at < names.size(); ++at) {
    const std::string_view name = trimBlanks(names[at]);
    for (const std::string& result : results) {
      if (name == result) {
        reading.error = "the column \"" + result + "\" has the name of a result column";
        return search;
      }
    }
    for (std::size_t column = 0; column < kInputColumnCount; ++column) {
      if (name != kInputColumnNames[column]) continue;
      if (reading.positions.at[column]) {
        reading.error = "the column \"" + std::string(name) + "\" is given twice";
        return search;
      }
      reading.positions.at[column] = at;
    }
  }
  for (std::size_t column = 0; column < kInputColumnCount; ++column) {
    if (reading.positions.at[column] || isOptional(static_cast<InputColumn>(column))) continue;
    search.missing += search.missing.empty() ? "" : ", ";
    search.missing += kInputColumnNames[column];
  }
  return search;
}

// The names split at every `separator`.
std::vector<std::string_view> splitNames(const std::vector<std::string_view>& names,
                                         char separator) {
  std::vector<std::string_view> pieces;
  for (const std::string_view name : names) {
    std::size_t at = 0;
    for (std::size_t end = name.find(separator); end != std::string_view::npos;
         end = name.find(separator, at)) {
      pieces.push_back(name.substr(at, end - at));
      at = end + 1;
    }
    pieces.push_back(name.substr(at));
  }
  return pieces;
}

// The character that separates the names of a header read with another delimiter: the first of
// semicolon, tab, comma and bar that splits them into a header with every required column. 0
// when none does.
char foreignSeparator(const std::vector<std::string_view>& names) {
  for (const char separator : {';', '\t', ',', '|'}) {
    const std::vector<std::string_view> pieces = splitNames(names, separator);
    if (pieces.size() == names.size()) continue;
    const ColumnSearch search = findInputColumns(pieces);
    if (search.missing.empty() && search.reading.error.empty()) return separator;
  }
  return 0;
}

// A separator as a message names it: semicolons (;), tabs.
std::string separatorName(char separator) {
  switch (separator) {
    case ';':
      return "semicolons (;)";
    case '\t':
      return "tabs";
    case ',':
      return "commas (,)";
    default:
      return "bars (|)";
  }
}

}  // namespace

std::string delimiterOption(char delimiter) {
  if (delimiter == '\t') return "--delimiter tab";
  if (delimiter == '\'') return "--delimiter \"'\"";
  return std::string("--delimiter '") + delimiter + "'";
}

bool findIdColumn(const TableHeader& header, std::string_view given,
                  std::optional<std::size_t>& column) {
  column.reset();
  for (std::size_t at = 0; at < header.names.size() && !column; ++at) {
    const std::string_view name = header.names[at];
    if (!given.empty() ? name == trimBlanks(given)
                       : sameIgnoringCase(name, "id") || sameIgnoringCase(name, "case") ||
                             sameIgnoringCase(name, "storm")) {
      column = at;
    }
  }
  return given.empty() || column.has_value();
}

std::string rowName(std::size_t line, const TableHeader& header,
                    std::optional<std::size_t> idColumn, std::string_view idValue) {
  std::string name = "line " + std::to_string(line);
  if (!idColumn) return name;
  // A message is one line: a value over several lines is shown on one.
  std::string value(idValue);
  std::replace_if(
      value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return name + " (" + header.names[*idColumn] + " " + quoted(value) + ")";
}

const std::vector<std::string>& resultColumnNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const ResultColumn& column : resultColumns()) list.emplace_back(column.info.name);
    return list;
  }();
  return names;
}

HeaderReading readHeader(const std::vector<std::string_view>& names) {
  ColumnSearch search = findInputColumns(names);
  if (search.missing.empty()) return std::move(search.reading);
  HeaderReading& reading = search.reading;
  reading.separator = foreignSeparator(names);
  reading.error = reading.separator == 0
                      ? "no column " + search.missing
                      : "the header's names are separated by " + separatorName(reading.separator);
  if (reading.separator == ';')
    reading.error += ", as a spreadsheet set to a European locale writes CSV";
  return reading;
}

TableHeader readTableHeader(const CsvRecord& record) {
  TableHeader header;
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < record.size(); ++i) {
    names.push_back(record.field(i));
    header.names.emplace_back(trimBlanks(record.field(i)));
  }
  if (record.fault) {
    header.error = "line " + std::to_string(record.fault.line) + ", field " +
                   std::to_string(record.fault.field + 1) +
                   " of the header: " + record.fault.description();
    return header;
  }
  HeaderReading reading = readHeader(names);
  header.positions = reading.positions;
  header.separator = reading.separator;
  if (reading.error.empty()) return header;
  const std::string start = record.size() > 0 ? unexpectedStart(names[0], record.offset) : "";
  if (!start.empty()) header.separator = 0;
  header.error = start.empty() ? std::move(reading.error) : start;
  return header;
}

std::vector<bool> inputFields(const TableHeader& header) {
  std::vector<bool> fields(header.names.size());
  for (const auto& position : header.positions.at) {
    if (position) fields[*position] = true;
  }
  return fields;
}

std::string rowShapeError(const TableHeader& header, std::size_t fieldCount,
                          const CsvFault& fault) {
  if (fault) {
    const std::string field =
        fault.field < header.names.size() && !header.names[fault.field].empty()
            ? header.names[fault.field]
            : "field " + std::to_string(fault.field + 1);
    return "line " + std::to_string(fault.line) + ", " + field + ": " + fault.description();
  }
  if (fieldCount == header.names.size()) return {};
  return "the row has " + std::to_string(fieldCount) + " fields, the header " +
         std::to_string(header.names.size());
}

std::optional<float> readReal(std::string_view text) {
  float value = 0;
  if (readRealAnswer(text, value) != NumberReading::number) return std::nullopt;
  return value;
}

std::optional<std::int32_t> readFetchUnit(std::string_view text) {
  return readUnit(text, fetchUnitOfName);
}

std::optional<std::int32_t> readSpeedUnit(std::string_view text) {
  return readUnit(text, speedUnitOfName);
}

std::string readInputColumn(InputColumn column, std::string_view text, StormAnswers& answers) {
  return readInputColumn(column, FieldView{.text = text, .number = 0, .holdsNumber = false},
                         answers);
}

std::string readInputColumn(InputColumn column, const FieldView& field, StormAnswers& answers) {
  if (float* answer = requiredAnswerOf(column, answers)) {
    return readRealColumn(column, field, *answer);
  }
  if (std::optional<float>* answer = optionalAnswerOf(column, answers)) {
    return readOptionalColumn(column, field, *answer);
  }
  if (column == InputColumn::fetchUnit) {
    return readUnitColumn(column, field, kFetchUnitNames, fetchUnitOfName, answers.fetchUnit);
  }
  if (column == InputColumn::speedUnit) {
    return readUnitColumn(column, field, kSpeedUnitNames, speedUnitOfName, answers.speedUnit);
  }
  return {};
}

AnswerReading readAnswers(const ColumnPositions& positions,
                          const std::vector<std::string_view>& fields) {
  return readAnswersOf(positions, fields);
}

AnswerReading readAnswers(const ColumnPositions& positions, const std::vector<FieldView>& fields) {
  return readAnswersOf(positions, fields);
}

namespace {

// The text of a row of a column of texts; empty for a column of neither numbers nor texts.
std::string_view fieldTextAt(const ColumnFields& column, std::size_t row) {
  return column.texts ? column.texts[row] : std::string_view();
}

// Reads a real column's fields into the rows' answers where readQuickSingle reads them (an
// optional column's empty field too); clears quick where it does not.
template <class Answer, class Read>
void readRealFields(const ColumnFields& column, std::size_t first, Answer answerOf,
                    std::span<std::uint8_t> quick, Read read) {
  if (column.numbers) {
    for (std::size_t i = 0; i < quick.size(); ++i) {
      quick[i] &= read(answerOf(i), column.numbers[first + i]);
    }
  } else {
    for (std::size_t i = 0; i < quick.size(); ++i) {
      quick[i] &= read(answerOf(i), fieldTextAt(column, first + i));
    }
  }
}

// The units of a column's texts, remembered for the few texts a column repeats ("km", "miles").
class UnitsOfTexts {
 public:
  explicit UnitsOfTexts(UnitOfName unitOfName) : unitOfName_(unitOfName) {}
  std::optional<std::int32_t> unitOf(std::string_view text) {
    for (std::size_t i = 0; i < count_; ++i) {
      if (texts_[i] == text) return units_[i];
    }
    const std::optional<std::int32_t> unit = readUnit(text, unitOfName_);
    const std::size_t at = count_ < kKept ? count_++ : next_++ % kKept;
    texts_[at] = text;
    units_[at] = unit;
    return unit;
  }

 private:
  static constexpr std::size_t kKept = 4;
  UnitOfName unitOfName_;
  std::array<std::string_view, kKept> texts_;
  std::array<std::optional<std::int32_t>, kKept> units_;
  std::size_t count_ = 0;
  std::size_t next_ = 0;
};

// Reads a menu column's fields (unit names, or menu numbers) into the rows' answers; clears quick
// where they are not such.
void readUnitFields(const ColumnFields& column, std::size_t first, UnitOfName unitOfName,
                    std::int32_t StormAnswers::*member, std::span<StormAnswers> answers,
                    std::span<std::uint8_t> quick) {
  UnitsOfTexts units(unitOfName);
  for (std::size_t i = 0; i < answers.size(); ++i) {
    const std::optional<std::int32_t> choice =
        column.numbers ? menuChoice(truncatedInteger(column.numbers[first + i]))
                       : units.unitOf(fieldTextAt(column, first + i));
    if (choice) {
      answers[i].*member = *choice;
    } else {
      quick[i] = 0;
    }
  }
}

}  // namespace

void readQuickAnswerColumns(const ColumnPositions& positions, std::span<const ColumnFields> columns,
                            std::size_t first, std::span<StormAnswers> answers,
                            std::span<std::uint8_t> quick) {
  std::fill(answers.begin(), answers.end(), StormAnswers{});
  std::fill(quick.begin(), quick.end(), std::uint8_t{1});
  for (std::size_t c = 0; c < kInputColumnCount; ++c) {
    const auto column = InputColumn(c);
    const auto& position = positions.at[c];
    if (!position) continue;  // an optional column that the table does not have
    const ColumnFields& fields = columns[*position];
    if (const auto member = requiredMemberOf(column)) {
      const auto answerOf = [&](std::size_t i) -> float& { return answers[i].*member; };
      readRealFields(fields, first, answerOf, quick,
                     [](float& answer, auto field) { return readQuickSingle(field, answer); });
    } else if (const auto optional = optionalMemberOf(column)) {
      const auto answerOf = [&](std::size_t i) -> std::optional<float>& {
        return answers[i].*optional;
      };
      readRealFields(fields, first, answerOf, quick, [](std::optional<float>& answer, auto field) {
        float value = 0;
        if (!readQuickSingle(field, value)) return isEmptyField(field);  // empty: not given
        answer = value;
        return true;
      });
    } else if (column == InputColumn::fetchUnit) {
      readUnitFields(fields, first, fetchUnitOfName, &StormAnswers::fetchUnit, answers, quick);
    } else {
      readUnitFields(fields, first, speedUnitOfName, &StormAnswers::speedUnit, answers, quick);
    }
  }
}

namespace {

// The result columns as appendResults walks them: runs of value columns, their values in
// `order` from begin to end, and single columns of the other sources.
struct ResultRun {
  ColumnSource source;
  std::uint8_t begin = 0;
  std::uint8_t end = 0;
};

struct ResultLayout {
  std::vector<ResultRun> runs;
  std::vector<std::uint8_t> order;
  std::size_t columns = 0;
};

const ResultLayout& resultLayout() {
  static const ResultLayout layout = [] {
    ResultLayout made;
    for (const ResultColumn& column : resultColumns()) {
      ++made.columns;
      const auto next = static_cast<std::uint8_t>(made.order.size());
      if (column.source != ColumnSource::value) {
        made.runs.push_back({column.source, next, next});
        continue;
      }
      if (made.runs.empty() || made.runs.back().source != ColumnSource::value) {
        made.runs.push_back({ColumnSource::value, next, next});
      }
      made.order.push_back(static_cast<std::uint8_t>(column.value));
      ++made.runs.back().end;
    }
    return made;
  }();
  return layout;
}

}  // namespace

void appendResults(std::string& out, const StormAnswers& answers, const StormValues& values) {
  // The fields of set width are written into room on the stack and appended together; a text
  // field of its own width is appended after the fields before it.
  constexpr std::size_t kFieldRoom = 1 + kRealTextSize;  // a comma and a real, a name or a count
  constexpr std::size_t kOtherColumns = 8;               // room for the columns of no value
  static_assert(kStormValueCount < 255, "a value's number is kept in a byte");
  const ResultLayout& layout = resultLayout();
  // A real's slot is copied whole: room for the 16 characters of the last one.
  std::array<char, (kStormValueCount + kOtherColumns) * kFieldRoom + 16> room;
  static_assert(kStormValueCount <= kMaxRealTexts);
  RealTexts reals;
  writeRealTexts(values.values.data(), kStormValueCount, reals);
  if (layout.columns > kStormValueCount + kOtherColumns) {
    throw std::logic_error("appendResults: more result columns than room");
  }
  char* at = room.data();
  auto appendText = [&](std::string_view text) {
    out.append(room.data(), std::size_t(at - room.data()));
    appendCsvField(out, text);
    at = room.data();
  };
  auto writeName = [&at](const char* name) {
    const std::size_t length = std::strlen(name);
    std::memcpy(at, name, length);
    at += length;
  };
  for (const ResultRun& run : layout.runs) {
    if (run.source == ColumnSource::value) {
      // Each slot is copied whole after its comma, and kept as far as its text goes: not at all
      // where the value is absent.
      for (std::size_t i = run.begin; i < run.end; ++i) {
        const std::uint8_t value = layout.order[i];
        *at = ',';
        std::memcpy(at + 1, reals.text[value].data(), 16);
        at += 1 + (values.present[value] ? reals.length[value] : 0);
      }
      continue;
    }
    *at++ = ',';
    switch (run.source) {
      case ColumnSource::value:
        break;
      case ColumnSource::units:
        writeName(unitsName(values.units));
        break;
      case ColumnSource::passes:
        if (values.passes > 0) at = std::to_chars(at, at + kRealTextSize, values.passes).ptr;
        break;
      case ColumnSource::limitedBy:
        writeName(limitName(values.limitedBy));
        break;
      case ColumnSource::error:
        appendText(values.error);
        break;
      case ColumnSource::warnings:
        if (values.warnings.any()) appendText(warningsTextInPlace(answers, values));
        break;
      case ColumnSource::errorCause:
        appendText(errorCauseText(answers, values));
        break;
    }
  }
  out.append(room.data(), std::size_t(at - room.data()));
}

void appendNoResults(std::string& out, std::string_view error) {
  for (const ResultColumn& column : resultColumns()) {
    out += ',';
    if (column.source == ColumnSource::error) appendCsvField(out, error);
  }
}

}  // namespace littoral
