#include "csv.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "csv_records.hpp"

namespace littoral {
namespace {

struct ReadCase {
  const char* name;
  std::string text;
  Records records;
};

TEST(CsvReader, ReadsRecordsWhateverThePieces) {
  const ReadCase cases[] = {
      {"LF line ends", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
      {"CR LF line ends", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
      {"no line end at the end", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
      {"quoted comma, quote and line ends",
       "\"x, y\",\"say \"\"hi\"\"\",\"l1\r\nl2\"\n",
       {{"x, y", "say \"hi\"", "l1\r\nl2"}}},
      {"empty and quoted empty fields", ",,\n\"\"\n", {{"", "", ""}, {""}}},
      {"blank lines are no records", "a\n\n\r\n\nb\n", {{"a"}, {"b"}}},
      {"blanks belong to the value", " a , b \n", {{" a ", " b "}}},
      {"byte-order mark dropped",
       "\xEF\xBB\xBF"
       "a,b\n",
       {{"a", "b"}}},
      {"byte-order mark only at the start", "a,\xEF\xBB\xBF\n", {{"a", "\xEF\xBB\xBF"}}},
      {"start like a byte-order mark", "\xEF\xBBx\n", {{"\xEF\xBBx"}}},
      {"quote inside an unquoted field", "5\"2,b\n", {{"5\"2", "b"}}},
      {"quote never closed runs to the end", "a,\"b\nc,d\n", {{"a", "b\nc,d\n"}}},
  };
  for (const ReadCase& c : cases) {
    for (const std::size_t pieceSize : {0, 1, 2, 5}) {
      EXPECT_EQ(readInPieces(c.text, pieceSize), c.records)
          << c.name << ", pieces of " << pieceSize;
    }
  }
}

// Lines read whole where a piece holds them (16 bytes at a time where the processor can), and
// byte by byte where none does, give the same records, lines, offsets and faults: a text of each
// kind of line, and random texts of fields, both delimiters, blanks, quotes, CRs and LFs, read in
// pieces of several sizes.
TEST(CsvReader, LineReadWholeAsByteByByte) {
  std::vector<std::string> texts = {
      "\xEF\xBB\xBF"
      "a;b,c\n\n 1 ;;2\r\n\"q;\";x\r4;5\n\"bad\" ;6\n7;8\n\n;\n9"};
  std::mt19937 random(16);
  for (int i = 0; i < 400; ++i) {
    std::string& text = texts.emplace_back(random() % 300, 'a');
    for (char& c : text) {
      const unsigned kind = random() % 100;
      c = kind < 2    ? '"'
          : kind < 4  ? '\r'
          : kind < 8  ? '\n'
          : kind < 22 ? ','
          : kind < 28 ? ';'
          : kind < 34 ? ' '
                      : char('a' + kind % 7);
    }
  }
  for (const std::string& text : texts) {
    for (const char delimiter : {',', ';'}) {
      Collector byByte;
      readInPieces(byByte, text, 1, {true, true}, delimiter);
      for (const std::size_t pieceSize : {0, 17, 64}) {
        Collector whole;
        readInPieces(whole, text, pieceSize, {true, true}, delimiter);
        ASSERT_EQ(whole.records, byByte.records) << delimiter << pieceSize << text;
        ASSERT_EQ(whole.lines, byByte.lines) << delimiter << pieceSize << text;
        ASSERT_EQ(whole.offsets, byByte.offsets) << delimiter << pieceSize << text;
        ASSERT_EQ(whole.faults.size(), byByte.faults.size());
        for (std::size_t i = 0; i < whole.faults.size(); ++i) {
          ASSERT_EQ(whole.faults[i].kind, byByte.faults[i].kind) << delimiter << i << text;
          ASSERT_EQ(whole.faults[i].line, byByte.faults[i].line) << delimiter << i << text;
        }
      }
    }
  }
}

struct FaultCase {
  const char* name;
  std::string text;
  std::vector<bool> withinLine;
  Records records;
  std::vector<std::size_t> lines;
  CsvFault fault;  // of the first record
};

TEST(CsvReader, QuotingFaultEndsItsRecordAtTheLineEnd) {
  using Kind = CsvFault::Kind;
  const FaultCase cases[] = {
      {"blank after a closing quote",
       "\"a\" ,b\nc,d\n",
       {},
       {{"\"a\" ", "b"}, {"c", "d"}},
       {1, 2},
       {Kind::textAfterQuote, 0, 1}},
      {"field kept as written",
       "x,\"say \"\"hi\"\"\"!\n",
       {},
       {{"x", "\"say \"\"hi\"\"\"!"}},
       {1},
       {Kind::textAfterQuote, 1, 1}},
      {"quotes are ordinary after a fault",
       "\"a\"b,\"c,d\"\ne\n",
       {},
       {{"\"a\"b", "\"c", "d\""}, {"e"}},
       {1, 2},
       {Kind::textAfterQuote, 0, 1}},
      {"quote past the line end of a field kept within it",
       "a,\"b\r\nc,d\n",
       {false, true},
       {{"a", "\"b"}, {"c", "d"}},
       {1, 2},
       {Kind::quotePastLineEnd, 1, 1}},
      {"quote never closed in a field kept within its line",
       "a,\"b",
       {false, true},
       {{"a", "\"b"}},
       {1},
       {Kind::quotePastLineEnd, 1, 1}},
      {"line ends counted in blank lines and quotes",
       "\r\n\na,\"x\r\ny\"\r\n\rq\"\"\n",
       {true, false},
       {{"a", "x\r\ny"}, {"q\"\""}},
       {3, 6},
       {}},
      {"a fault on the second line of a record",
       "\"x\ny\",\"z\"!\n",
       {},
       {{"x\ny", "\"z\"!"}},
       {1},
       {Kind::textAfterQuote, 1, 2}},
  };
  for (const FaultCase& c : cases) {
    for (const std::size_t pieceSize : {0, 1, 3}) {
      Collector collector;
      readInPieces(collector, c.text, pieceSize, c.withinLine);
      EXPECT_EQ(collector.records, c.records) << c.name << ", pieces of " << pieceSize;
      EXPECT_EQ(collector.lines, c.lines) << c.name;
      ASSERT_FALSE(collector.faults.empty()) << c.name;
      EXPECT_EQ(collector.faults[0].kind, c.fault.kind) << c.name;
      EXPECT_EQ(collector.faults[0].field, c.fault.field) << c.name;
      EXPECT_EQ(collector.faults[0].line, c.fault.line) << c.name;
      for (std::size_t i = 1; i < collector.faults.size(); ++i) EXPECT_FALSE(collector.faults[i]);
    }
  }
}

TEST(CsvReader, EmptyTextHasNoRecord) {
  EXPECT_TRUE(readInPieces("", 0).empty());
  EXPECT_TRUE(readInPieces("\xEF\xBB\xBF", 1).empty());
}

TEST(CsvReader, RecordBeyondTheLimitStopsTheReading) {
  Collector collector;
  CsvReader reader(collector);
  ASSERT_TRUE(reader.read("a,b\n\"open"));
  const std::string piece(1 << 20, 'x');
  bool reading = true;
  for (std::size_t sent = 0; reading && sent <= CsvReader::kMaxRecordBytes; sent += piece.size()) {
    reading = reader.read(piece);
  }
  EXPECT_FALSE(reading);
  EXPECT_FALSE(reader.finish());
  EXPECT_EQ(reader.error(), "record 2 is longer than 16 MiB (a quote that is never closed?)");
  EXPECT_EQ(collector.records, (Records{{"a", "b"}}));
}

TEST(CsvWriter, QuotesOnlyTheFieldsThatNeedIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"", ""},
      {" blank ", " blank "},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"l1\nl2", "\"l1\nl2\""},
      {"cr\r", "\"cr\r\""},
  };
  for (const auto& [field, written] : cases) {
    std::string out = "x,";
    appendCsvField(out, field);
    EXPECT_EQ(out, "x," + written) << field;
    // What is written reads back as the same field.
    EXPECT_EQ(readInPieces(out + "\n", 0), (Records{{"x", field}})) << field;
  }
}

}  // namespace

}  // namespace littoral
