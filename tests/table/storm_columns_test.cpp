#include "storm_columns.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace littoral {
namespace {

std::vector<std::string> splitAtCommas(const std::string& text) {
  std::vector<std::string> fields(1);
  for (const char c : text) {
    if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

TEST(StormColumns, RealsAreReadAsTheConsoleReadsThem) {
  const std::pair<const char*, float> numbers[] = {
      {"10", 10.0f},
      {" 9.81\t", 9.81f},
      {"1.25D1", 12.5f},
      {"1.25e1", 12.5f},
      {".5", 0.5f},
      {"5.", 5.0f},
      {"+3", 3.0f},
      {"-2.7E-1", -0.27f},
      {"1e-50", 0.0f},
      {"0.1", 0.1f},
      {"16777217", 16777216.0f},
      {"3.4028235e38", FLT_MAX},
  };
  for (const auto& [text, value] : numbers) {
    const std::optional<float> read = readReal(text);
    ASSERT_TRUE(read) << text;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(*read), std::bit_cast<std::uint32_t>(value)) << text;
  }
  for (const char* text : {"", " ", "abc", "1.2.3", "1e", "1,5", "1 5", "0x10", "nan", "inf", "3*7",
                           "/", ".", "-", "1e39", "-3.5e38", "12m"}) {
    EXPECT_FALSE(readReal(text)) << text;
  }
}

TEST(StormColumns, UnitsAreMenuNumbersOrNames) {
  const std::pair<const char*, std::int32_t> fetchUnits[] = {
      {"1", 1},    {"4.9", 4}, {"5e0", 5}, {"ft", 1},  {"m", 2},   {"miles", 3},
      {" km ", 4}, {"KM", 4},  {"Km", 4},  {"kml", 5}, {"nmi", 5}, {"NMI", 5}};
  for (const auto& [text, unit] : fetchUnits) EXPECT_EQ(readFetchUnit(text), unit) << text;
  const std::pair<const char*, std::int32_t> speedUnits[] = {
      {"2", 2},     {"ft/s", 1},  {"ft/sec", 1}, {"m/s", 2}, {"MPH", 3}, {"km/h", 4},
      {"knots", 5}, {"Knots", 5}, {"kn", 5},     {"KT", 5},  {"kts", 5}};
  for (const auto& [text, unit] : speedUnits) EXPECT_EQ(readSpeedUnit(text), unit) << text;
  for (const char* text : {"0", "0.9", "6", "-1", "", "kmh", "k m", "mph", "1e12"}) {
    EXPECT_FALSE(readFetchUnit(text)) << text;
  }
  for (const char* text : {"0", "6", "m", "ft/min", "kph"})
    EXPECT_FALSE(readSpeedUnit(text)) << text;
}

const std::vector<std::string_view> kHeader = {
    "date",       "gravity",    "depth", "fetch", "fetch_unit",  "wind_speed",
    "speed_unit", "duration_h", "rt",    " rl ",  "local_depth", "angle_deg"};

TEST(StormColumns, HeaderFindsTheColumnsByName) {
  const HeaderReading header = readHeader(kHeader);
  EXPECT_EQ(header.error, "");
  EXPECT_EQ(header.positions.at[std::size_t(InputColumn::gravity)], 1u);
  EXPECT_EQ(header.positions.at[std::size_t(InputColumn::rl)], 9u);
  EXPECT_FALSE(header.positions.at[std::size_t(InputColumn::settlingVelocity)]);
}

TEST(StormColumns, HeaderErrors) {
  const std::pair<std::vector<std::string_view>, const char*> cases[] = {
      {{"gravity", "depth", "fetch", "wind_speed", "duration_h", "local_depth", "angle_deg"},
       "no column fetch_unit, speed_unit, rt, rl"},
      {{"gravity", "depth", "depth"}, "the column \"depth\" is given twice"},
      {{"gravity", "hs"}, "the column \"hs\" has the name of a result column"},
      {{"error", "gravity"}, "the column \"error\" has the name of a result column"},
  };
  for (const auto& [names, error] : cases) EXPECT_EQ(readHeader(names).error, error);
}

// A row of the header above with one field replaced.
std::string answerError(std::size_t column, std::string_view value, StormAnswers& answers) {
  std::vector<std::string_view> fields = {"2024-01-05", "9.81", "10", "50", "km", "20",
                                          "m/s",        "5",    "1",  "1",  "3",  "30"};
  std::vector<std::string_view> names = kHeader;
  names.emplace_back("beach_slope");
  names.emplace_back("settling_velocity");
  fields.emplace_back("");
  fields.emplace_back("1.5");
  fields.at(column) = value;
  AnswerReading reading = readAnswers(readHeader(names).positions, fields);
  answers = reading.answers;
  return reading.error;
}

TEST(StormColumns, RowAnswers) {
  StormAnswers answers;
  EXPECT_EQ(answerError(0, "any date", answers), "");
  EXPECT_EQ(answers.g, 9.81f);
  EXPECT_EQ(answers.fetchUnit, 4);
  EXPECT_EQ(answers.speedUnit, 2);
  EXPECT_EQ(answers.angleDegrees, 30.0f);
  EXPECT_FALSE(answers.beachSlope);  // empty: the preset slope
  EXPECT_EQ(answers.settlingVelocity, 1.5f);
  StormAnswers withoutTransport;
  EXPECT_EQ(answerError(13, " ", withoutTransport), "");
  EXPECT_FALSE(withoutTransport.settlingVelocity);
}

TEST(StormColumns, RowErrorsNameTheColumnAndTheValue) {
  const std::tuple<std::size_t, std::string, std::string> cases[] = {
      {4, "kmh", "fetch_unit: \"kmh\" is not 1-5 or ft, m, miles, km, kml"},
      {6, "7", "speed_unit: \"7\" is not 1-5 or ft/s, m/s, mph, km/h, knots"},
      {2, "abc", "depth: \"abc\" is not a number"},
      {2, "", "depth: no value"},
      {1, "1e39", "gravity: \"1e39\" is beyond the single-precision range"},
      {12, "steep", "beach_slope: \"steep\" is not a number"},
      {13, "1.5 cm/s", "settling_velocity: \"1.5 cm/s\" is not a number"},
      {11, std::string(50, 'x'), "angle_deg: \"" + std::string(37, 'x') + "...\" is not a number"},
  };
  for (const auto& [column, value, error] : cases) {
    StormAnswers answers;
    EXPECT_EQ(answerError(column, value, answers), error);
  }
}

// Every answer's bits, the sign of zero included; an optional answer not given as a NaN that no
// field reads as.
std::vector<std::uint32_t> answerBits(const StormAnswers& a) {
  const auto bits = [](std::optional<float> value) {
    return value ? std::bit_cast<std::uint32_t>(*value) : 0x7FC0DEADu;
  };
  return {bits(a.g),
          bits(a.depth),
          std::uint32_t(a.fetchUnit),
          bits(a.fetch),
          std::uint32_t(a.speedUnit),
          bits(a.windSpeed),
          bits(a.durationHours),
          bits(a.rt),
          bits(a.rl),
          bits(a.localDepth),
          bits(a.angleDegrees),
          bits(a.beachSlope),
          bits(a.settlingVelocity)};
}

// The edges where a number could read otherwise than its shortest text (tried in every column):
// the single range's end, what a menu truncates, zeros, infinities, the subnormal singles. Then
// random doubles (each tried in one column): near singles of every kind, halfway between two
// singles and beside, and of any bits at all.
std::pair<std::vector<double>, std::size_t> trialNumbers() {
  std::vector<double> numbers = {0.0,    -0.0,     4.9,      6.0,         -1.0,     1e10, 5.9999,
                                 -0.5,   0x1p31,   -0x1p31,  -0x1p31 - 1, INFINITY, NAN,  DBL_MAX,
                                 1e-300, 0x1p-150, 0x3p-151, 0x1p-149,    FLT_MIN,  9.81, 0.1};
  for (const double edge : {double(FLT_MAX), 0x1p128 - 0x1p103, 5.0, 1.0}) {
    double up = edge, down = edge;
    for (int step = 0; step < 20; ++step, up = std::nextafter(up, INFINITY)) {
      numbers.insert(numbers.end(), {up, down, -up, -down});
      down = std::nextafter(down, -INFINITY);
    }
  }
  const std::size_t edges = numbers.size();
  std::mt19937_64 random(1984);
  for (int i = 0; i < 300000; ++i) {
    const auto single = std::bit_cast<float>(std::uint32_t(random()));
    const auto subnormal = std::bit_cast<float>(std::uint32_t(random() % 0x00800000u));
    const std::uint64_t low = random() & ((std::uint64_t(1) << 29) - 1);
    numbers.push_back(std::bit_cast<double>(std::bit_cast<std::uint64_t>(double(single)) ^ low));
    numbers.push_back(std::bit_cast<double>(random()));
    for (const float below : {single, subnormal, -subnormal}) {
      if (!std::isfinite(below) || std::fabs(below) == FLT_MAX) continue;
      const double halfway = (double(below) + double(std::nextafter(below, INFINITY))) / 2;
      numbers.insert(numbers.end(), {halfway, std::nextafter(halfway, INFINITY),
                                     std::nextafter(halfway, -INFINITY)});
    }
  }
  return {numbers, edges};
}

// Rows given by column (a frame's float64 numbers, or texts), read column by column, each row
// read at once checked against readAnswers of its fields: its answers, bit for bit, and no error.
class ColumnRows {
 public:
  explicit ColumnRows(const ColumnPositions& positions)
      : positions_(positions), numbers_(kInputColumnCount), texts_(kInputColumnCount) {}

  void addNumbers(const std::vector<double>& row) {
    for (std::size_t at = 0; at < row.size(); ++at) numbers_[at].push_back(row[at]);
  }
  void addTexts(const std::vector<std::string>& row) {
    for (std::size_t at = 0; at < row.size(); ++at) texts_[at].push_back(row[at]);
  }

  std::size_t pending() const { return numbers_[0].size() + texts_[0].size(); }

  // Reads the rows added since the last call; returns how many were read at once.
  std::size_t readAtOnce() {
    const bool numbers = !numbers_[0].empty();
    const std::size_t count = numbers ? numbers_[0].size() : texts_[0].size();
    std::vector<std::vector<std::string_view>> views(kInputColumnCount);
    std::vector<ColumnFields> columns(kInputColumnCount);
    for (std::size_t at = 0; at < kInputColumnCount; ++at) {
      views[at].assign(texts_[at].begin(), texts_[at].end());
      columns[at] = numbers ? ColumnFields{.numbers = numbers_[at].data()}
                            : ColumnFields{.texts = views[at].data()};
    }
    // A chunk that starts past the columns' first row, as a worker's chunks do.
    const std::size_t first = count / 3;
    std::vector<StormAnswers> answers(count - first);
    std::vector<std::uint8_t> quick(count - first);
    readQuickAnswerColumns(positions_, columns, first, answers, quick);
    rowsRead += answers.size();
    std::size_t atOnce = 0;
    std::vector<FieldView> fields(kInputColumnCount);
    for (std::size_t i = 0; i < answers.size(); ++i) {
      if (!quick[i]) continue;
      for (std::size_t at = 0; at < kInputColumnCount; ++at) {
        fields[at] =
            numbers ? numberField(numbers_[at][first + i]) : textField(views[at][first + i]);
      }
      const AnswerReading reading = readAnswers(positions_, fields);
      EXPECT_EQ(reading.error, "") << "row " << first + i;
      EXPECT_EQ(answerBits(answers[i]), answerBits(reading.answers)) << "row " << first + i;
      ++atOnce;
    }
    for (auto& column : numbers_) column.clear();
    for (auto& column : texts_) column.clear();
    return atOnce;
  }

  std::size_t rowsRead = 0;

 private:
  ColumnPositions positions_;
  std::vector<std::vector<double>> numbers_;
  std::vector<std::vector<std::string>> texts_;
};

// Texts read column by column: plain decimals, unit names and menu numbers read at once, and a
// row with anything else (an error among them) is left to readAnswers.
TEST(StormColumns, TextColumnsReadAtOnceAsEachRow) {
  const std::vector<std::string_view> names(kInputColumnNames.begin(), kInputColumnNames.end());
  ColumnRows rows(readHeader(names).positions);
  const std::vector<std::string> good = {"9.81", "10", "50", "km", "20", "m/s", "5",
                                         "1",    "1",  "3",  "30", "",   "1.5"};
  const std::vector<std::vector<std::string>> variants = {
      {" 32.2 ", "-0", "5", "Miles", "-7.25", "KNOTS", "0.0000001"},
      {"1e3", "1E3", "9.81d0", ".5", "5.", "+2", "0x10"},
      {"2.7", "5", "6", "0", "kmh", "", "  "},
      {"nan", "inf", "16777217", "0.12345678901", "1,5", "3 ", "\t4"}};
  for (std::size_t column = 0; column < kInputColumnCount; ++column) {
    for (const auto& texts : variants) {
      for (const std::string& text : texts) {
        std::vector<std::string> row = good;
        row[column] = text;
        rows.addTexts(row);
      }
    }
  }
  const std::size_t atOnce = rows.readAtOnce();
  EXPECT_GT(atOnce, rows.rowsRead / 4);
  EXPECT_LT(atOnce, rows.rowsRead * 3 / 4);
}

// A float64 column's number gives the same answers and the same error as the shortest text that
// a frame's numbers were once passed as; the other fields are a good row's. The same rows read
// column by column read at once as each row reads.
TEST(StormColumns, NumbersReadAsTheirShortestText) {
  const std::vector<std::string_view> names(kInputColumnNames.begin(), kInputColumnNames.end());
  const ColumnPositions positions = readHeader(names).positions;
  const std::vector<double> row = {9.81, 10, 50, 4, 20, 2, 5, 1, 1, 3, 30, NAN, 1.5};
  std::vector<FieldView> fields(row.size());
  std::vector<std::string> texts(row.size());
  const auto [numbers, edges] = trialNumbers();
  std::size_t refused = 0;
  ColumnRows columnRows(positions);
  std::size_t atOnce = 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    for (std::size_t column = 0; column < kInputColumnCount; ++column) {
      if (i >= edges && column != i % kInputColumnCount) continue;
      for (std::size_t at = 0; at < row.size(); ++at) {
        const double value = at == column ? numbers[i] : row[at];
        char buffer[32];
        const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        texts[at] = std::isnan(value) ? "" : std::string(buffer, std::size_t(end - buffer));
        fields[at] = numberField(value);
      }
      const AnswerReading direct = readAnswers(positions, fields);
      const AnswerReading text =
          readAnswers(positions, std::vector<std::string_view>(texts.begin(), texts.end()));
      ASSERT_EQ(direct.error, text.error) << texts[column];
      ASSERT_EQ(answerBits(direct.answers), answerBits(text.answers)) << texts[column];
      refused += !text.error.empty();
      std::vector<double> columnRow(row);
      columnRow[column] = numbers[i];
      columnRows.addNumbers(columnRow);
      if (columnRows.pending() == 65536) atOnce += columnRows.readAtOnce();
    }
  }
  EXPECT_GT(numbers.size(), 2'000'000u);
  EXPECT_GT(refused, numbers.size() / 10);  // the refusals' messages were compared too
  atOnce += columnRows.readAtOnce();
  EXPECT_GT(atOnce, columnRows.rowsRead / 3);
}

TEST(StormColumns, ResultFieldsInTheirColumns) {
  const std::vector<std::string>& names = resultColumnNames();
  ASSERT_EQ(names.size(), kStormValueCount + 6);
  StormValues values;
  values.units = UnitSystem::si;
  values.passes = 64;
  values.limitedBy = GrowthLimit::duration;
  values.set(StormValue::density, 1000.0f);
  values.set(StormValue::FHs, 0.026506891f);
  values.set(StormValue::stormTransportM3, -0.0f);
  values.error = "math error 6201: sqrt: DOMAIN error";
  std::string out;
  appendResults(out, StormAnswers{}, values);
  ASSERT_EQ(out[0], ',');
  const std::vector<std::string> fields = splitAtCommas(out.substr(1));
  ASSERT_EQ(fields.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string expected;
    if (names[i] == "units") expected = "SI";
    if (names[i] == "passes") expected = "64";
    if (names[i] == "limited_by") expected = "duration";
    if (names[i] == "density") expected = "1000.000";
    if (names[i] == "fhs") expected = "2.6506891E-02";
    if (names[i] == "storm_transport_m3") expected = "0.0000000E+00";
    if (names[i] == "error") expected = values.error;
    if (names[i] == "error_cause") expected = "gravity 0: gravity must be more than zero";
    EXPECT_EQ(fields[i], expected) << names[i];
  }
  std::string none;
  appendNoResults(none, "depth: no value");
  const std::size_t error =
      std::size_t(std::find(names.begin(), names.end(), "error") - names.begin());
  EXPECT_EQ(none, std::string(error + 1, ',') + "depth: no value" +
                      std::string(names.size() - error - 1, ','));
}

}  // namespace

}  // namespace littoral
