#include "climate_command.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "climate.hpp"
#include "climate_output.hpp"

namespace littoral {
namespace {

constexpr int kExitStormErrors = 1;
constexpr int kExitTrouble = 2;

void tell(const std::string& message) {
  const std::string line = "littoral climate: " + message + "\n";
  const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
}

std::string optionName(std::string_view name) {
  std::string option = "--" + std::string(name);
  for (char& c : option) c = c == '_' ? '-' : c;
  return option;
}

// An output: standard output ("" or "-"), a device or pipe, or a regular file written under a
// temporary name in its directory and renamed when whole, so that an earlier file is never left
// half written.
class Output {
 public:
  ~Output() {
    if (fd_ >= 0 && fd_ != STDOUT_FILENO) close(fd_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
  }

  // False with the reason when the output cannot be opened.
  bool open(const std::string& path, std::string& error) {
    name_ = path.empty() || path == "-" ? "standard output" : path;
    if (path.empty() || path == "-") {
      fd_ = STDOUT_FILENO;
      return true;
    }
    path_ = path;
    struct stat status {};
    const bool exists = stat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
      fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
      return fd_ >= 0 || fail(error);
    }
    const std::filesystem::path target(path);
    const std::filesystem::path directory =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string pattern = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) return fail(error);
    temporary_ = pattern;
    mode_t mode = status.st_mode & 07777;
    if (!exists) {
      const mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    fchmod(fd_, mode);
    return true;
  }

  bool write(std::string_view text) {
    while (!text.empty()) {
      const ssize_t count = ::write(fd_, text.data(), text.size());
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) {
        if (count == 0) errno = ENOSPC;
        number_ = errno;
        return false;
      }
      text.remove_prefix(std::size_t(count));
    }
    return true;
  }

  // Closes the output and gives a file its name; false with the reason of this or of a failed
  // write.
  bool finish(std::string& error) {
    if (number_ != 0) {
      errno = number_;
      return fail(error);
    }
    if (fd_ == STDOUT_FILENO) return true;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return fail(error);
    if (temporary_.empty()) return true;
    if (rename(temporary_.c_str(), path_.c_str()) != 0) return fail(error);
    temporary_.clear();
    return true;
  }

 private:
  bool fail(std::string& error) const {
    error = name_ + ": " + std::strerror(errno);
    return false;
  }

  int fd_ = -1;
  int number_ = 0;
  std::string name_;
  std::string path_;
  std::string temporary_;
};

// Writes an output whose text `produce` hands to the function it is given.
bool writeOutput(const std::string& path,
                 const std::function<bool(const std::function<bool(std::string_view)>&)>& produce,
                 std::string& error) {
  Output output;
  if (!output.open(path, error)) return false;
  produce([&output](std::string_view text) { return output.write(text); });
  return output.finish(error);
}

bool writeOutput(const std::string& path, const std::string& text, std::string& error) {
  return writeOutput(
      path, [&text](const std::function<bool(std::string_view)>& write) { return write(text); },
      error);
}

// Reads the wind record from a file or standard input ("-").
bool readWinds(const std::string& path, const WindColumns& columns, WindRecordBuilder& builder,
               std::string& error) {
  const bool fromStdin = path == "-";
  const std::string name = fromStdin ? "standard input" : path;
  const int fd = fromStdin ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = name + ": " + std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
    // A record takes at least 15 bytes ("2016-01-09,1,1\n"): room that is never used is
    // never touched, and costs no memory.
    const auto size = std::size_t(status.st_size);
    builder.reserve(size / 15 + 1, size);
  }
  WindCsvReader reader(columns, builder);
  std::string buffer(256 * 1024, '\0');
  bool ok = true;
  for (;;) {
    const ssize_t count = ::read(fd, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      error = name + ": " + std::strerror(errno);
      ok = false;
      break;
    }
    if (count == 0) {
      ok = reader.finish();
      break;
    }
    if (!reader.read(std::string_view(buffer.data(), std::size_t(count)))) {
      ok = false;
      break;
    }
  }
  if (!fromStdin) close(fd);
  if (!ok && error.empty()) error = name + ": " + reader.error();
  return ok;
}

bool readFetch(const std::string& path, FetchTable& fetch, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (readFetchTable(text.str(), fetch, error)) return true;
  error = path + ": " + error;
  return false;
}

}  // namespace

struct ClimateCommand::Options {
  CLI::App* command = nullptr;
  std::string winds;
  std::string output;
  std::string fetch;
  std::string summary;
  std::string sectorSummary;
  WindColumns columns;
  std::vector<std::string> missing;
  bool sort = false;
  unsigned jobs = 1;
  std::map<std::string, std::string, std::less<>> texts;
  std::vector<std::pair<std::string, CLI::Option*>> settingOptions;
};

ClimateCommand::ClimateCommand(CLI::App& app) : options_(std::make_unique<Options>()) {
  Options& o = *options_;
  o.jobs = std::max(1u, std::thread::hardware_concurrency());
  CLI::App* command = app.add_subcommand(
      "climate",
      "Turn a wind record into storms at a site and compute each as `littoral table` does, with\n"
      "the longshore transport by year and by direction sector.");
  o.command = command;
  command->add_option("WINDS", o.winds, "the wind record (CSV); - for standard input")->required();
  command
      ->add_option("-o,--output", o.output,
                   "write the storms to STORMS instead of standard "
                   "output")
      ->type_name("STORMS");
  command->add_option("--fetch", o.fetch, "the fetch table (CSV: direction, fetch, depth)")
      ->required()
      ->type_name("FETCH");
  // The settings' options, kept as text and read as the storm table reads numbers.
  const std::vector<std::pair<const char*, const char*>> settings = {
      {"shore_normal", "DEG: the bearing one faces on the beach looking out to sea (required)"},
      {"local_depth", "D: the depth near the surf zone, m or ft (required)"},
      {"depth", "D: the hindcast depth where the fetch table has none, m or ft"},
      {"height", "Z: the anemometer's height above the water, m (default 10)"},
      {"threshold",
       "U: the least wind at 10 m that raises a storm, in the speed unit "
       "(default 5 m/s)"},
      {"turn", "DEG: the largest turn of the wind within a storm (default 45)"},
      {"interval", "MIN: the record interval (default: the most frequent step)"},
      {"beach_slope", "S: the beach slope (default 0.005)"},
      {"settling", "W: the settling velocity of the beach sand, cm/s; turns on the transport"},
      {"rt", "RT: the stability factor (default 1)"},
      {"rl", "RL: the sea/land factor (default 1)"},
      {"units", "si|us: the unit system of depths and gravity (default si)"},
      {"gravity", "G: gravity (default 9.81 or 32.2 by --units)"},
      {"speed_unit", "UNIT: the record's speed unit: ft/s, m/s, mph, km/h, knots (default m/s)"},
      {"fetch_unit", "UNIT: the fetch table's unit: ft, m, miles, km, kml (default km)"},
      {"sectors", "N: the direction sectors of the sector summary (default 16)"},
  };
  for (const auto& [name, help] : settings) {
    const std::string_view text(help);
    const std::size_t colon = text.find(':');
    CLI::Option* option =
        command->add_option(optionName(name), o.texts[name], std::string(text.substr(colon + 2)))
            ->type_name(std::string(text.substr(0, colon)));
    o.settingOptions.emplace_back(name, option);
  }
  command->add_option("--time-column", o.columns.time, "the column of the times")
      ->capture_default_str();
  command->add_option("--speed-column", o.columns.speed, "the column of the wind speeds")
      ->capture_default_str();
  command
      ->add_option("--direction-column", o.columns.direction,
                   "the column of the directions the wind blows from, degrees true")
      ->capture_default_str();
  command
      ->add_option("--missing", o.missing,
                   "a text that means a missing value, besides empty, NA and NaN (repeatable)")
      ->type_name("TEXT")
      ->delimiter(',');
  command->add_flag("--sort", o.sort,
                    "sort the records by time and drop exact repeats, instead of refusing them");
  command->add_option("--summary", o.summary, "write the summary by calendar year to FILE")
      ->type_name("FILE");
  command
      ->add_option("--sector-summary", o.sectorSummary,
                   "write the summary by direction sector to FILE")
      ->type_name("FILE");
  command->add_option("-j,--jobs", o.jobs, "compute on N threads (default: every core)")
      ->type_name("N")
      ->check(CLI::Range(1u, 4096u));
  command->footer(
      "Exit status: 0 every storm computed, 1 some storm has an error (see its error column),\n"
      "2 the record, the fetch table or an option cannot be read, or an output written.");
}

ClimateCommand::~ClimateCommand() = default;

bool ClimateCommand::chosen() const { return options_->command->parsed(); }

int ClimateCommand::run() const {
  const Options& o = *options_;
  std::map<std::string, std::string, std::less<>> given;
  for (const auto& [name, option] : o.settingOptions) {
    if (option->count() > 0) given[name] = o.texts.at(name);
  }
  ClimateSettings settings;
  FetchTable fetch;
  std::string error;
  if (!readClimateSettings(given, optionName, settings, error) ||
      !readFetch(o.fetch, fetch, error) || !checkFetchDepths(fetch, settings, error)) {
    tell(error);
    return kExitTrouble;
  }
  WindRecordBuilder builder(MissingMarks(o.missing), "line", o.columns);
  if (!readWinds(o.winds, o.columns, builder, error)) {
    tell(error);
    return kExitTrouble;
  }
  if (!builder.order(o.sort)) {
    const std::string name = o.winds == "-" ? "standard input" : o.winds;
    tell(name + ": " + builder.error() + " (--sort sorts the records and drops exact repeats)");
    return kExitTrouble;
  }
  const WindRecords& records = builder.records();
  const ClimateRun run = runClimate(records, fetch, settings, o.jobs);
  const std::vector<YearSummary> years = summarizeYears(records, run);
  if ((!o.summary.empty() && !writeOutput(o.summary, yearTableText(years), error)) ||
      (!o.sectorSummary.empty() &&
       !writeOutput(o.sectorSummary, sectorTableText(summarizeSectors(run, settings.sectors)),
                    error)) ||
      !writeOutput(
          o.output,
          [&](const std::function<bool(std::string_view)>& write) {
            return writeStormTable(records, run, write);
          },
          error)) {
    tell(error);
    return kExitTrouble;
  }
  for (const std::string& line : climateAccount(records, run, years, settings)) tell(line);
  if (run.stormsWithError > 0) {
    tell(std::to_string(run.stormsWithError) + " of " + std::to_string(run.storms.size()) +
         " storms could not be computed (see the error column)");
    return kExitStormErrors;
  }
  return 0;
}

}  // namespace littoral
