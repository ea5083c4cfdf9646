// The storm table against the dialogue: the same storms through `littoral table` and through
// the interactive program, and the table's exit statuses and files.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "run_binary.hpp"
#include "run_command.hpp"
#include "scratch_directory.hpp"

namespace littoral {
namespace {

using Row = std::vector<std::string>;

// The records of a CSV text with LF line ends, read independently of the program's reader.
std::vector<Row> readCsv(const std::string& text) {
  std::vector<Row> rows;
  Row row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
    } else if (c == '\n') {
      row.push_back(field);
      field.clear();
      rows.push_back(row);
      row.clear();
    } else {
      field += c;
    }
  }
  return rows;
}

// One storm as a table row, in the dialogue's order of answers.
struct Storm {
  const char* name;
  std::string gravity, depth, fetchUnit, fetch, speedUnit, windSpeed, duration, rt, rl, localDepth,
      angle, beachSlope, settlingVelocity;
};

const char* const kInputHeader =
    "name,gravity,depth,fetch_unit,fetch,speed_unit,wind_speed,duration_h,rt,rl,local_depth,"
    "angle_deg,beach_slope,settling_velocity";

std::string tableRow(const Storm& storm) {
  std::string row = storm.name;
  for (const std::string* field :
       {&storm.gravity, &storm.depth, &storm.fetchUnit, &storm.fetch, &storm.speedUnit,
        &storm.windSpeed, &storm.duration, &storm.rt, &storm.rl, &storm.localDepth, &storm.angle,
        &storm.beachSlope, &storm.settlingVelocity}) {
    row += "," + *field;
  }
  return row + "\n";
}

// The menu answer of a unit named in the table.
std::string menuAnswer(const std::string& unit, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (unit == names[i]) return std::to_string(i + 1);
  }
  return unit;
}

// The answers of the dialogue: on to the transport stage when the row has a settling velocity
// (the slope kept with "/" when the row has none), otherwise stop at the continue prompt.
std::string dialogueAnswers(const Storm& storm) {
  const std::string fetchUnit = menuAnswer(storm.fetchUnit, {"ft", "m", "miles", "km", "kml"});
  const std::string speedUnit =
      menuAnswer(storm.speedUnit, {"ft/s", "m/s", "mph", "km/h", "knots"});
  std::string answers;
  for (const std::string& answer :
       {storm.gravity, storm.depth, fetchUnit, storm.fetch, speedUnit, storm.windSpeed,
        storm.duration, storm.rt, storm.rl, storm.localDepth, storm.angle}) {
    answers += answer + "\n";
  }
  if (storm.settlingVelocity.empty()) return answers + "2\n";
  const std::string slope = storm.beachSlope.empty() ? "/" : storm.beachSlope;
  return answers + "1\n\n" + slope + "\n" + storm.settlingVelocity + "\n\n";
}

// The lines of a text, without their CR LF or LF ends: the records and the pause prompts.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool isNumber(const std::string& item) {
  if (item == "NaN" || item == "Infinity" || item == "-Infinity") return true;
  char* end = nullptr;
  std::strtod(item.c_str(), &end);
  return !item.empty() && *end == '\0';
}

// The items of a record after its text, as printed without their blanks.
std::vector<std::string> itemsAfter(const std::string& record, std::size_t textSize) {
  std::vector<std::string> items;
  std::istringstream rest(record.substr(1 + textSize));
  for (std::string item; rest >> item;) items.push_back(item);
  return items;
}

// What the dialogue printed, by the table's column names.
class PrintedValues {
 public:
  explicit PrintedValues(const RunOutcome& run)
      : console_(splitLines(run.console)),
        report_(run.report ? splitLines(*run.report) : std::vector<std::string>()) {
    units();
    hindcast();
    transform();
    transport();
    error_ = run.errors.empty() ? "" : run.errors.substr(0, run.errors.size() - 1);
  }

  const std::map<std::string, std::string>& values() const { return values_; }
  const std::string& error() const { return error_; }

 private:
  // The items of the records that are the text followed by numbers only, in order.
  static std::vector<std::vector<std::string>> find(const std::vector<std::string>& records,
                                                    const std::string& text) {
    std::vector<std::vector<std::string>> found;
    for (const std::string& record : records) {
      if (record.compare(0, 1 + text.size(), " " + text) != 0) continue;
      std::vector<std::string> items = itemsAfter(record, text.size());
      if (std::all_of(items.begin(), items.end(), isNumber)) found.push_back(std::move(items));
    }
    return found;
  }
  void take(const std::vector<std::string>& records, const std::string& text,
            std::initializer_list<std::pair<std::size_t, const char*>> columns) {
    const auto found = find(records, text);
    if (found.empty()) return;
    for (const auto& [item, column] : columns) values_[column] = found.back().at(item);
  }

  void units() {
    values_["units"] = !find(console_, "US Units").empty()   ? "US"
                       : !find(console_, "SI Units").empty() ? "SI"
                                                             : "none";
    take(console_, "Density=", {{0, "density"}});
  }

  void hindcast() {
    take(console_, "Setup in feet = ", {{0, "setup_ft"}});
    take(console_, "Setup in m = ", {{0, "setup_m"}});
    take(console_, "Ua = ", {{0, "ua"}});
    const auto passes = find(console_, "Fd, FF, Ftd =");
    if (!passes.empty()) values_["passes"] = std::to_string(passes.size());
    take(console_, "Fd, FF, Ftd =", {{0, "fd"}, {1, "ff"}, {2, "ftd"}});
    if (!find(console_, "Fetch Limited").empty()) {
      values_["limited_by"] = "fetch";
      take(report_, "Fetch = ft or m ", {{0, "effective_fetch"}});
    }
    if (!find(console_, "Duration Limited with Feff = ").empty()) {
      values_["limited_by"] = "duration";
      take(console_, "Duration Limited with Feff = ", {{0, "effective_fetch"}});
    }
    take(report_, "Non-dimensional Wave Height FHs =", {{0, "fhs"}});
    take(report_, "Non-dimensional Period FTs =", {{0, "fts"}});
    take(console_, "Hs and Ts ", {{0, "hs"}, {1, "ts"}});
  }

  void transform() {
    take(console_, "ks =", {{0, "ks"}});
    take(console_, "Deep wave length and celerity (Lo,Co) ", {{0, "lo"}, {1, "co"}});
    take(console_, "Wave length and celerity (L1,C1)", {{0, "l1"}, {1, "c1"}});
    take(console_, "Approximate surf depth = ", {{0, "surf_depth"}});
    take(console_, "s1,co,c1,so", {{0, "s1"}, {3, "so"}});
    take(console_, "AOR =", {{0, "aor"}});
    take(console_, " DEEP WATER WAVE ANGLE =  ", {{0, "deep_angle"}});
    take(console_, " Ks AND Kr = ", {{1, "kr"}});
    take(report_, " DEEP WATER WAVE HEIGHT = ", {{0, "deep_height"}});
    take(console_, "Local angle = ", {{0, "local_angle"}});
    take(console_, "Local wave length and height ", {{0, "local_length"}, {1, "local_height"}});
    take(console_, "Local wave height and celerity ", {{1, "local_celerity"}});
    take(console_, "Group Ratio, Ks and Kr (Local) ",
         {{0, "group_ratio"}, {1, "ks_local"}, {2, "kr_local"}});
    take(console_, "Breaking Wave height ", {{0, "breaking_height"}});
    take(console_, "Offshore",
         {{0, "offshore_hrms"}, {1, "offshore_hs"}, {2, "offshore_h10"}, {3, "offshore_h1"}});
    take(console_, "Local   ",
         {{0, "local_hrms"}, {1, "local_hs"}, {2, "local_h10"}, {3, "local_h1"}});
    take(console_, "Hnso =", {{0, "hnso"}});
  }

  void transport() {
    const auto exposures = find(console_, "##.##    ");  // class, exposure, duration, share
    for (std::size_t i = 0; i < exposures.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      values_["class_exposure_" + n] = exposures[i].at(1);
      values_["class_share_" + n] = exposures[i].at(3);
    }
    take(console_, "Kpls, rho =", {{0, "kpls"}});
    // The four class records follow the Kpls record: class, exposure, rate, height, flux.
    for (std::size_t at = 0; at < console_.size(); ++at) {
      if (console_[at].rfind(" Kpls, rho =", 0) != 0) continue;
      for (std::size_t i = 1; i <= 4 && at + i < console_.size(); ++i) {
        const std::vector<std::string> items = itemsAfter(console_[at + i], 0);
        if (items.size() != 5 || items[0] != std::to_string(i)) break;
        values_["class_rate_" + items[0]] = items[2];
        values_["class_height_" + items[0]] = items[3];
        values_["class_flux_" + items[0]] = items[4];
      }
    }
    take(console_, "Surf Current ft/sec or m/s =", {{0, "surf_current"}});
    take(console_, " LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", {{0, "storm_transport"}});
  }

  std::vector<std::string> console_;
  std::vector<std::string> report_;
  std::map<std::string, std::string> values_;
  std::string error_;
};

// Fetch- and duration-limited storms in both unit systems, with and without the transport
// stage, and storms that end at a math error.
const Storm kStorms[] = {
    {"si fetch-limited", "9.81", "10", "km", "50", "m/s", "20", "5", "1", "1", "3", "30", "",
     "1.5"},
    {"us duration-limited", "32.2", "20", "miles", "10", "ft/s", "50", "1", "1.1", "1", "8", "20",
     "0.02", "2.5"},
    {"us without transport", "32.2", "20", "3", "10", "1", "50", "5", "1.1", "1", "8", "20", "",
     ""},
    {"si knots duration-limited", "9.81", "15", "kml", "30", "knots", "40", "1", "1.1", "1.2", "4",
     "-25", "0.01", "3"},
    {"si mph over feet", "9.81", "12", "ft", "90000", "mph", "45", "12", "1", "1.3", "2.5", "10",
     "", "0.8"},
    {"gravity of thirty", "30", "10", "km", "50", "m/s", "20", "5", "1", "1", "3", "30", "", "1.5"},
    {"angle of ninety", "9.81", "10", "km", "50", "m/s", "20", "5", "1", "1", "3", "90", "", "1.5"},
    {"zero depth", "9.81", "0", "km", "50", "m/s", "20", "5", "1", "1", "3", "30", "", "1.5"},
};

TEST(StormTable, EveryColumnHoldsWhatTheDialoguePrinted) {
  std::string table = std::string(kInputHeader) + "\n";
  for (const Storm& storm : kStorms) table += tableRow(storm);
  CommandOptions options;
  options.input = table;
  const CommandOutcome run = runCommand({"table", "-j", "2"}, options);
  EXPECT_EQ(run.exitStatus, 1);  // the failing storms
  // The count, then the rows named (TableReading.RowsWithAnErrorAreNamedByTheirLineAndTheirId).
  EXPECT_EQ(run.errors.substr(0, run.errors.find('\n') + 1),
            "littoral table: 3 of 8 rows could not be computed (see the error column)\n");
  const std::vector<Row> rows = readCsv(run.out);
  ASSERT_EQ(rows.size(), std::size(kStorms) + 1);
  const Row& header = rows[0];
  const std::size_t firstResult = 14;
  ASSERT_EQ(header.at(firstResult), "units");

  for (std::size_t s = 0; s < std::size(kStorms); ++s) {
    const Storm& storm = kStorms[s];
    const RunOutcome dialogue = runLittoral(dialogueAnswers(storm));
    const PrintedValues printed(dialogue);
    const Row& row = rows[s + 1];
    ASSERT_EQ(row.size(), header.size()) << storm.name;
    for (const auto& [name, text] : printed.values()) {
      EXPECT_NE(std::find(header.begin(), header.end(), name), header.end()) << name;
    }
    if (printed.error().empty()) {
      // Every column but the error and the m3 total is printed by a storm that runs through.
      EXPECT_EQ(printed.values().size(), storm.settlingVelocity.empty() ? 44u : 67u) << storm.name;
    }
    EXPECT_EQ(row[0], storm.name);
    // The columns after error are the table's own, not lines of the dialogue.
    const std::size_t errorColumn =
        std::size_t(std::find(header.begin(), header.end(), "error") - header.begin());
    for (std::size_t column = firstResult; column <= errorColumn; ++column) {
      const std::string& name = header[column];
      if (name == "error") {
        EXPECT_EQ(row[column], printed.error()) << storm.name;
      } else if (name == "storm_transport_m3") {
        // Not printed: the printed total in m3, 0.764554857984 m3 to the cubic yard.
        const auto total = printed.values().find("storm_transport");
        ASSERT_EQ(row[column].empty(), total == printed.values().end()) << storm.name;
        if (total == printed.values().end()) continue;
        const double expected = std::strtod(total->second.c_str(), nullptr) * 0.764554857984;
        EXPECT_NEAR(std::strtod(row[column].c_str(), nullptr), expected, 1e-6 * std::fabs(expected))
            << storm.name;
      } else {
        const auto value = printed.values().find(name);
        EXPECT_EQ(row[column], value == printed.values().end() ? "" : value->second)
            << storm.name << ": " << name;
      }
    }
  }
}

const std::string kTwoStorms =
    std::string(kInputHeader) + "\n" + tableRow(kStorms[0]) + tableRow(kStorms[2]);

TEST(StormTable, QuotingFaultIsTheErrorOfItsLineAlone) {
  // A blank after a closing quote, and a quote in an input column that its line does not
  // close; a user's note over two lines is no fault.
  const std::string fields = ",9.81,10,km,50,m/s,20,5,1,1,3,30,,1.5\n";
  const std::string table = std::string(kInputHeader) + "\n" +
                            "a,9.81,10,km,50,m/s,20,5,1,1,3,30,\"0.01\" ,1.5\n" + "\"b\nnote\"" +
                            fields + "c,9.81,10,km,50,m/s,20,5,1,1,3,\"30,,1.5\n" + "d" + fields +
                            "e" + fields + "f" + fields;
  CommandOptions options;
  options.input = table;
  const CommandOutcome run = runCommand({"table"}, options);
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<Row> rows = readCsv(run.out);
  ASSERT_EQ(rows.size(), 7u) << run.out;
  const std::size_t units = 14;
  ASSERT_EQ(rows[0][units], "units");
  const auto error =
      std::size_t(std::find(rows[0].begin(), rows[0].end(), "error") - rows[0].begin());
  const std::pair<std::string, std::string> expected[] = {
      {"a", "line 2, beach_slope: text after a closing quote"},
      {"b\nnote", ""},
      {"c", "line 5, angle_deg: a quoted value runs past the end of the line"},
      {"d", ""},
      {"e", ""},
      {"f", ""}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Row& row = rows[i + 1];
    ASSERT_EQ(row.size(), rows[0].size()) << i;
    EXPECT_EQ(row[0], expected[i].first);
    EXPECT_EQ(row.at(error), expected[i].second);
    EXPECT_EQ(row[units], expected[i].second.empty() ? "SI" : "") << row[0];
  }
}

TEST(StormTable, HelpAndVersionGoToStandardOutput) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"--version"}, {"table", "--help"}}) {
    const CommandOutcome run = runCommand(arguments);
    EXPECT_EQ(run.exitStatus, 0) << arguments.back();
    EXPECT_EQ(run.errors, "") << arguments.back();
    EXPECT_NE(run.out, "") << arguments.back();
  }
  EXPECT_EQ(runCommand({"--version"}).out.rfind("littoral ", 0), 0u);
  EXPECT_NE(runCommand({"table", "--help"}).out.find("-j,--jobs"), std::string::npos);
}

TEST(StormTable, BadOptionsAreTrouble) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"table", "-j", "0"},
                                                    {"table", "--fast"},
                                                    {"tables"},
                                                    {"table", "a.csv", "b.csv"}}) {
    const CommandOutcome run = runCommand(arguments);
    EXPECT_EQ(run.exitStatus, 2) << arguments.back();
    EXPECT_EQ(run.out, "") << arguments.back();
    // One line, named as every message of the command.
    const std::string name = arguments[0] == "table" ? "littoral table: " : "littoral: ";
    EXPECT_EQ(run.errors.rfind(name, 0), 0u) << run.errors;
    EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
  }
}

TEST(StormTable, StandardInputOrAFile) {
  const ScratchDirectory directory;
  directory.write("storms.csv", kTwoStorms);
  CommandOptions options;
  options.input = kTwoStorms;
  const CommandOutcome fromStdin = runCommand({"table"}, options);
  const CommandOutcome fromDash = runCommand({"table", "-"}, options);
  const CommandOutcome fromFile = runCommand({"table", directory.path("storms.csv")});
  EXPECT_EQ(fromStdin.exitStatus, 0);
  EXPECT_EQ(fromStdin.errors, "");
  EXPECT_EQ(readCsv(fromStdin.out).size(), 3u);
  EXPECT_EQ(fromDash.out, fromStdin.out);
  EXPECT_EQ(fromFile.out, fromStdin.out);
  const CommandOutcome toFile =
      runCommand({"table", directory.path("storms.csv"), "-o", directory.path("out.csv")});
  EXPECT_EQ(toFile.exitStatus, 0);
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(directory.contentsOf("out.csv"), fromStdin.out);
  EXPECT_EQ(directory.entries(), 2u);  // no temporary file left
}

TEST(StormTable, UnreadableTableLeavesNoOutputFile) {
  const ScratchDirectory directory;
  directory.write("old.csv", "an earlier result\n");
  directory.write("no-rt.csv",
                  "gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,"
                  "duration_h,rl,local_depth,angle_deg\n");
  directory.write("empty.csv", "");
  const std::string header =
      "gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,angle_deg";
  directory.write("two-marks.csv", "\xEF\xBB\xBF\xEF\xBB\xBF" + header + "\n");
  directory.write("utf-16.csv", "\xFF\xFEn\0a\0m\0e\0\n\0");
  directory.write("nul.csv", std::string("\n\0", 2) + header + "\n");
  const std::pair<std::string, std::string> cases[] = {
      {"missing.csv", ": No such file or directory\n"},
      {"no-rt.csv", ": no column rt\n"},
      {"empty.csv", ": no header row\n"},
      {"", ": Is a directory\n"},
      {"two-marks.csv",
       ": a byte-order mark (EF BB BF) at byte 4 of the table, before the first column name: a "
       "table may start with one only\n"},
      {"utf-16.csv",
       ": a UTF-16 byte-order mark (FF FE) at byte 1 of the table: the table must be UTF-8 text\n"},
      {"nul.csv",
       ": an unexpected byte 0x00 at byte 2 of the table, before the first column name\n"},
  };
  for (const auto& [input, message] : cases) {
    for (const char* output : {"new.csv", "old.csv"}) {
      const CommandOutcome run =
          runCommand({"table", directory.path(input), "-o", directory.path(output)});
      EXPECT_EQ(run.exitStatus, 2) << input;
      EXPECT_EQ(run.errors, "littoral table: " + directory.path(input) + message);
      EXPECT_FALSE(directory.holds("new.csv")) << input;
      EXPECT_EQ(directory.contentsOf("old.csv"), "an earlier result\n") << input;
    }
  }
  EXPECT_EQ(directory.entries(), 6u);
}

const std::string kEarlierResult = "an earlier result\n";

std::string manyStorms(int count) {
  std::string table = std::string(kInputHeader) + "\n";
  for (int i = 0; i < count; ++i) table += tableRow(kStorms[i % 2]);
  return table;
}

std::string rowCount(std::size_t rows) {
  return std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

// After an early stop: OUT (a name in the directory) holds the earlier result, the rows written
// are kept beside it, whole, and the message gives their count and place.
void expectRowsKeptBeside(const CommandOutcome& run, const ScratchDirectory& directory,
                          const std::string& out, const std::string& cause) {
  EXPECT_EQ(directory.contentsOf(out), kEarlierResult);
  const std::string kept = directory.contentsOf(out + ".partial");
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.back(), '\n');
  const std::vector<Row> rows = readCsv(kept);
  ASSERT_GT(rows.size(), 1u);
  for (const Row& row : rows) EXPECT_EQ(row.size(), rows[0].size());
  const std::string path = directory.path(out);
  EXPECT_EQ(run.errors, "littoral table: " + cause + "; " + rowCount(rows.size() - 1) +
                            " kept in " + path + ".partial, " + path + " left as it was\n");
}

TEST(StormTable, FullOutputKeepsTheEarlierOutAndTheWholeRowsBeside) {
  const ScratchDirectory directory;
  directory.write("storms.csv", manyStorms(3000));
  directory.write("out.csv", kEarlierResult);
  CommandOptions options;
  options.fileSizeLimit = 1 << 20;
  const std::string out = directory.path("out.csv");
  const CommandOutcome full =
      runCommand({"table", directory.path("storms.csv"), "-o", out, "-j", "2"}, options);
  EXPECT_EQ(full.exitStatus, 2);
  expectRowsKeptBeside(full, directory, "out.csv", out + ": File too large");
  EXPECT_EQ(directory.entries(), 3u);

  const CommandOutcome device = runCommand({"table", "-o", "/dev/full"}, {".", kTwoStorms});
  EXPECT_EQ(device.exitStatus, 2);
  EXPECT_EQ(device.errors, "littoral table: /dev/full: No space left on device; 0 rows written\n");
}

// A file system of 64 KiB on a new directory, in a mount namespace of the test process's own.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(std::string path) : path_(std::move(path)) {
    mkdir(path_.c_str(), 0755);
    mounted_ = unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
    error_ = mounted_ ? "" : std::strerror(errno);
  }
  ~SmallFileSystem() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  std::string path_;
  bool mounted_ = false;
  std::string error_;
};

TEST(StormTable, FullDiskLeavesTheEarlierOutAndNothingBesideWhenNothingFits) {
  const ScratchDirectory directory;
  directory.write("storms.csv", manyStorms(3000));
  const SmallFileSystem disk(directory.path("disk"));
  if (!disk.mounted_) GTEST_SKIP() << "no file system of 64 KiB can be mounted: " << disk.error_;
  directory.write("disk/out.csv", kEarlierResult);
  const std::string out = directory.path("disk/out.csv");
  const std::vector<std::string> arguments = {"table", directory.path("storms.csv"), "-o", out};
  std::ofstream filler(directory.path("disk/filler"));
  while (filler << std::string(4096, 'x') << std::flush) {
  }
  const CommandOutcome nothing = runCommand(arguments);
  EXPECT_EQ(nothing.exitStatus, 2);
  EXPECT_EQ(nothing.errors, "littoral table: " + out +
                                ": No space left on device; no rows written, " + out +
                                " left as it was\n");
  EXPECT_EQ(directory.contentsOf("disk/out.csv"), kEarlierResult);
  EXPECT_FALSE(directory.holds("disk/out.csv.partial"));
}

TEST(StormTable, LinksAreFollowedAndDescriptorsWrittenInPlace) {
  const ScratchDirectory directory;
  CommandOptions options;
  options.input = kTwoStorms;
  const std::string results = runCommand({"table"}, options).out;
  ASSERT_EQ(readCsv(results).size(), 3u);

  directory.write("target.csv", kEarlierResult);
  std::filesystem::create_symlink("target.csv", directory.path("link.csv"));
  std::filesystem::create_directory(directory.path("sub"));
  std::filesystem::create_symlink("../new.csv", directory.path("sub/link.csv"));
  for (const char* link : {"link.csv", "sub/link.csv"}) {
    const CommandOutcome run = runCommand({"table", "-o", directory.path(link)}, options);
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_TRUE(std::filesystem::is_symlink(directory.path(link))) << link;
  }
  EXPECT_EQ(directory.contentsOf("target.csv"), results);
  EXPECT_EQ(directory.contentsOf("new.csv"), results);
  EXPECT_EQ(directory.entries(), 4u);

  // Standard output appended to a log, through each of the names of descriptor 1.
  directory.write("log", kEarlierResult);
  options.outputFile = directory.path("log");
  std::string expected = kEarlierResult;
  for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    const CommandOutcome run = runCommand({"table", "-o", name}, options);
    EXPECT_EQ(run.exitStatus, 0) << name << ": " << run.errors;
    expected += results;
  }
  EXPECT_EQ(directory.contentsOf("log"), expected);
  EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
}

TEST(StormTable, DirectoryThatCannotBeWrittenIsRefusedAtOnce) {
  const ScratchDirectory directory;
  directory.write("storms.csv", kTwoStorms);
  std::filesystem::create_directory(directory.path("locked"));
  chmod(directory.path().c_str(), 0755);
  chmod(directory.path("storms.csv").c_str(), 0644);
  chmod(directory.path("locked").c_str(), 0555);
  CommandOptions options;
  options.userId = geteuid() == 0 ? 65534 : -1;  // root may write anywhere: run as nobody
  const CommandOutcome run = runCommand({"table", "storms.csv", "-o", "locked/out.csv"}, options);
  if (run.exitStatus == 127) GTEST_SKIP() << "the program cannot be run as another user here";
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.errors,
            "littoral table: locked/out.csv: cannot write in locked (Permission denied); write "
            "to standard output instead: -o - or no -o\n");
  EXPECT_TRUE(std::filesystem::is_empty(directory.path("locked")));
}

TEST(StormTable, RowsOfASlowTableAreWrittenAsTheyArrive) {
  for (const char* jobs : {"1", "2"}) {
    CommandOptions options;
    options.inputPieces = {std::string(kInputHeader) + "\n" + tableRow(kStorms[0]),
                           tableRow(kStorms[1])};
    options.pieceIntervalMs = 600;
    const CommandOutcome run = runCommand({"table", "-j", jobs}, options);
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_EQ(readCsv(run.out).size(), 3u);
    EXPECT_EQ(readCsv(run.outBeforeInputEnd).size(), 3u) << jobs << " jobs";  // all before the end
  }
}

// A signal ends a table that never ends (the program waits for more rows) after the rows read:
// on standard output they stay; with OUT, they are kept beside the earlier OUT.
TEST(StormTable, InterruptWritesTheRowsReadSoFar) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    CommandOptions options;
    options.input = kTwoStorms;
    options.signal = signal;
    const CommandOutcome run = runCommand({"table"}, options);
    EXPECT_EQ(run.exitStatus, 128 + signal);
    EXPECT_EQ(run.errors,
              "littoral table: stopped by signal " + std::to_string(signal) + "; 2 rows written\n");
    EXPECT_EQ(readCsv(run.out).size(), 3u);

    const ScratchDirectory directory;
    directory.write("out.csv", kEarlierResult);
    const CommandOutcome toOut = runCommand({"table", "-o", directory.path("out.csv")}, options);
    EXPECT_EQ(toOut.exitStatus, 128 + signal);
    expectRowsKeptBeside(toOut, directory, "out.csv",
                         "stopped by signal " + std::to_string(signal));
    EXPECT_EQ(directory.entries(), 2u);
  }
}

TEST(StormTable, KilledRunLeavesNoFileBehind) {
  const ScratchDirectory directory;
  directory.write("storms.csv", manyStorms(3000));
  directory.write("out.csv", kEarlierResult);
  const std::string out = directory.path("out.csv");
  // Killed while it waits for more rows, the rows before written: no file is left.
  CommandOptions killed;
  killed.input = manyStorms(50);
  killed.signal = SIGKILL;
  EXPECT_EQ(runCommand({"table", "-o", out}, killed).exitStatus, -1);
  EXPECT_EQ(directory.entries(), 2u);
  // A second interrupt 5 ms after the first ends the run at once, even one that waits to write
  // the rows in hand to a pipe that nobody reads.
  CommandOptions twice;
  twice.signal = SIGINT;
  twice.signalAfterMs = 200;
  twice.repeatSignalAfterMs = 5;
  const std::string pipe = directory.path("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  const CommandOutcome blocked =
      runCommand({"table", directory.path("storms.csv"), "-o", pipe}, twice);
  close(reader);
  EXPECT_EQ(blocked.exitStatus, 128 + SIGINT);
  EXPECT_EQ(blocked.errors, "littoral table: stopped at once by a second signal\n");
}

// --- What the command tells its reader: the column catalog, rows named in messages, the
// delimiter, a file where the command belongs, the README's design matrix.

std::string sourceFile(const std::string& name) {
  std::ifstream file(std::string(LITTORAL_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string replaceAll(const std::string& text, char from, const std::string& to) {
  std::string out;
  for (const char c : text) out += c == from ? to : std::string(1, c);
  return out;
}

// A catalog row as the manual page lists it: the name, its SI and US units (one when they are
// the same), the console line it comes from and what it holds, escaped for roff.
std::string manualEntry(const Row& column) {
  std::string text = column[1] == column[2] ? column[1] : column[1] + ", " + column[2];
  const std::size_t start = column[3].find_first_not_of(' ');
  if (start != std::string::npos) {
    text +=
        "; \x01" + column[3].substr(start, column[3].find_last_not_of(' ') + 1 - start) + "\x02";
  }
  text = replaceAll(replaceAll(text + "; " + column[4], '\\', "\\e"), '-', "\\-");
  text = replaceAll(replaceAll(text, '\x01', "\\(lq"), '\x02', "\\(rq");
  return ".TP\n.B " + column[0] + "\n" + text + "\n";
}

TEST(StormTable, ColumnsListEveryColumnOfTheTableAsTheManualPageDoes) {
  const CommandOutcome listed = runCommand({"table", "--columns"});
  EXPECT_EQ(listed.exitStatus, 0);
  EXPECT_EQ(listed.errors, "");
  const std::vector<Row> catalog = readCsv(listed.out);
  // The input columns in the order of the answers, then the table's result columns.
  const std::string inputs =
      "gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,"
      "angle_deg,beach_slope,settling_velocity\n";
  const Row header = readCsv(runCommand({"table"}, {".", inputs}).out).at(0);
  ASSERT_EQ(catalog.size(), header.size() + 1);
  EXPECT_EQ(catalog[0], (Row{"column", "si_unit", "us_unit", "console_line", "description"}));
  std::string manual;
  for (std::size_t i = 1; i < catalog.size(); ++i) {
    ASSERT_EQ(catalog[i].size(), 5u) << i;
    EXPECT_EQ(catalog[i][0], header[i - 1]);
    manual += manualEntry(catalog[i]);
  }
  const std::string page = sourceFile("littoral.1");
  const std::string begin = ".\\\" columns-begin\n";
  const std::size_t start = page.find(begin) + begin.size();
  const std::size_t end = page.find(".\\\" columns-end\n");
  ASSERT_TRUE(start >= begin.size() && end != std::string::npos && end >= start);
  if (std::getenv("LITTORAL_WRITE_MANUAL") != nullptr) {
    std::ofstream(std::string(LITTORAL_SOURCE_DIR) + "/littoral.1", std::ios::binary)
        << page.substr(0, start) << manual << page.substr(end);
    return;
  }
  EXPECT_EQ(page.substr(start, end - start), manual) << "LITTORAL_WRITE_MANUAL=1 writes it";
}

struct MessageCase {
  const char* edge;
  std::vector<std::string> arguments;
  std::string input;
  int status;
  std::string errors;
};

void expectMessages(const std::vector<MessageCase>& cases) {
  for (const MessageCase& c : cases) {
    const CommandOutcome run = runCommand(c.arguments, {".", c.input});
    EXPECT_EQ(run.exitStatus, c.status) << c.edge;
    EXPECT_EQ(run.errors, c.errors) << c.edge;
  }
}

const std::string kInputs = std::string(kInputHeader).substr(5);  // without "name,"
const std::string kMathError = "9.81,10,km,50,m/s,20,5,1,1,3,95,,1.5";
const std::string kNoDepth = "9.81,ten,km,50,m/s,20,5,1,1,3,30,,1.5";

// A good row, then after a blank line a note over two lines and a math error, then a depth
// that is not a number: the rows start on lines 2, 4 and 6, the header being line 1.
std::string namedRows(const std::string& idName) {
  return idName + ",note," + kInputs + "\nA,," + tableRow(kStorms[0]).substr(17) + "\n" +
         "B,\"over\ntwo lines\"," + kMathError + "\nC,," + kNoDepth + "\n";
}

TEST(StormTable, RowsWithAnErrorAreNamedByTheirLineAndTheirId) {
  const std::string count =
      "littoral table: 2 of 3 rows could not be computed (see the error column)\n";
  const std::string math = ": math error 6201: sqrt: DOMAIN error\n";
  const std::string notNumber = ": depth: \"ten\" is not a number\n";
  std::string many = "case," + kInputs + "\r\n";
  for (int i = 1; i <= 7; ++i) many += std::to_string(i) + "," + kNoDepth + "\r\n";
  std::string manyNamed =
      "littoral table: 7 of 7 rows could not be computed (see the error column)\n";
  for (int i = 1; i <= 5; ++i) {
    manyNamed += "littoral table: line " + std::to_string(i + 1) + " (case \"" + std::to_string(i) +
                 "\")" + notNumber;
  }
  expectMessages({
      {"an id column found by its name in any case",
       {"table"},
       namedRows("Storm"),
       1,
       count + "littoral table: line 4 (Storm \"B\")" + math +
           "littoral table: line 6 (Storm \"C\")" + notNumber},
      {"--id, a line end in the id shown as a blank",
       {"table", "--id", "note"},
       namedRows("ID"),
       1,
       count + "littoral table: line 4 (note \"over two lines\")" + math +
           "littoral table: line 6 (note \"\")" + notNumber},
      {"no id column",
       {"table"},
       namedRows("name"),
       1,
       count + "littoral table: line 4" + math + "littoral table: line 6" + notNumber},
      {"--id naming no column",
       {"table", "--id", "station"},
       namedRows("name"),
       2,
       "littoral table: standard input: no column station (--id)\n"},
      {"CR LF, and more rows than are named",
       {"table"},
       many,
       1,
       manyNamed + "littoral table: and 2 more rows with an error\n"},
  });
}

TEST(StormTable, ADelimiterReadsATableThatAnotherCharacterSeparates) {
  const std::string semicolons = replaceAll(kTwoStorms, ',', ";");
  const std::string tabs = replaceAll(kTwoStorms, ',', "\t");
  const std::string refused =
      "littoral table: standard input: the header's names are separated by ";
  expectMessages({
      {"semicolons",
       {"table"},
       semicolons,
       2,
       refused + "semicolons (;), as a spreadsheet set to a European locale writes CSV: "
                 "--delimiter ';' reads it\n"},
      {"tabs", {"table"}, tabs, 2, refused + "tabs: --delimiter tab reads it\n"},
      {"commas read with semicolons",
       {"table", "-d", ";"},
       kTwoStorms,
       2,
       refused + "commas (,): --delimiter ',' reads it\n"},
      {"a quote",
       {"table", "-d", "\""},
       kTwoStorms,
       2,
       "littoral table: --delimiter: a single character (not a quote or a line end) or tab; see "
       "littoral table --help\n"},
  });
  // Read with its delimiter, a table gives the results of the same table with commas.
  const std::string expected = runCommand({"table"}, {".", kTwoStorms}).out;
  EXPECT_EQ(runCommand({"table", "--delimiter", ";"}, {".", semicolons}).out, expected);
  EXPECT_EQ(runCommand({"table", "-d", "tab"}, {".", tabs}).out, expected);
}

TEST(StormTable, AFileGivenWhereTheCommandBelongsIsShownTheTableCommand) {
  const ScratchDirectory directory;
  directory.write("storms.csv", kTwoStorms);
  directory.write("my storms.csv", kTwoStorms);
  const std::string help = " computes the storms of a table (see littoral --help)\n";
  expectMessages({
      {"a file",
       {"storms.csv"},
       "",
       2,
       "littoral: storms.csv is a file, not a command: littoral table storms.csv" + help},
      {"a name that needs quotes",
       {"my storms.csv"},
       "",
       2,
       "littoral: my storms.csv is a file, not a command: littoral table 'my storms.csv'" + help},
  });
  EXPECT_EQ(runCommand({"storm.csv"}).errors.find("is a file"), std::string::npos);  // no file
}

TEST(StormTable, TheReadmeDesignMatrixIsWhatTheTableWritesWithTheReadmeSigns) {
  const CommandOutcome run =
      runCommand({"table", std::string(LITTORAL_SOURCE_DIR) + "/examples/design_matrix.csv"});
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  EXPECT_EQ(run.out, sourceFile("examples/design_matrix_results.csv"));
  const std::vector<Row> rows = readCsv(run.out);
  const auto valueOf = [&rows](std::size_t row, const std::string& name) {
    return rows[row].at(
        std::size_t(std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin()));
  };
  // The README's excerpt: a few columns of every row.
  const std::string readme = sourceFile("README.md");
  const std::size_t at = readme.find("```text\n", readme.find("A few of the result columns:")) + 8;
  const std::vector<Row> excerpt = readCsv(readme.substr(at, readme.find("```\n", at) - at));
  ASSERT_EQ(excerpt.size(), rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < excerpt[0].size(); ++c) {
      EXPECT_EQ(excerpt[r].at(c), valueOf(r, excerpt[0][c])) << r << ", " << excerpt[0][c];
    }
  }
  // On the README's beach, facing north, waves from the north-west arrive from the left of one
  // looking out to sea: a negative angle, and sand moved to the right (negative).
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const double sign = rows[r][0] == "NW" ? -1 : 1;
    EXPECT_GT(sign * std::strtod(valueOf(r, "angle_deg").c_str(), nullptr), 0) << rows[r][0];
    EXPECT_GT(sign * std::strtod(valueOf(r, "storm_transport").c_str(), nullptr), 0) << rows[r][0];
  }
}

}  // namespace

}  // namespace littoral
