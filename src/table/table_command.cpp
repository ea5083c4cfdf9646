#include "table_command.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "columns.hpp"
#include "command/result_file.hpp"
#include "csv.hpp"
#include "storm_columns.hpp"
#include "table_run.hpp"

namespace littoral {
namespace {

constexpr int kExitRowErrors = 1;
constexpr int kExitTrouble = 2;

std::atomic<bool> stopRequested{false};
volatile std::sig_atomic_t stopSignal = 0;
// What the message of a second signal says after "stopped at once": set before the run.
char secondStopNote[256] = "\n";

extern "C" void requestStop(int signalNumber) {
  if (stopRequested.load()) {
    // A second signal ends the run at once: no file is renamed, none is left behind.
    ResultFile::removeNamedTemporary();
    constexpr char kStopped[] = "littoral table: stopped at once by a second signal";
    ssize_t ignored = ::write(STDERR_FILENO, kStopped, sizeof kStopped - 1);
    ignored = ::write(STDERR_FILENO, secondStopNote, std::strlen(secondStopNote));
    (void)ignored;
    _exit(128 + signalNumber);
  }
  stopSignal = signalNumber;
  stopRequested.store(true);
}

// An interrupt, a termination request or a hang-up ends the run after the rows that are ready;
// a second one ends it at once. Blocking reads return, so that a table typed or piped in can be
// stopped.
void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

void noteSecondStop(const std::string& note) {
  const std::string line = note + "\n";
  if (line.size() < sizeof secondStopNote)
    std::memcpy(secondStopNote, line.c_str(), line.size() + 1);
}

std::string systemError(int number) { return std::strerror(number); }

void tell(const std::string& message) {
  const std::string line = "littoral table: " + message + "\n";
  const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
}

class FileSource final : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {
    struct stat status {};
    regular_ = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  }
  long read(char* buffer, std::size_t size) override {
    if (!regular_ && !awaitInput()) return -1;
    const ssize_t count = ::read(fd_, buffer, size);
    if (count < 0) error_ = errno;
    return count;
  }
  std::string failure() const override { return systemError(error_); }
  bool interrupted() const override { return error_ == EINTR; }
  bool wouldWait() override {
    if (regular_) return false;
    pollfd input{fd_, POLLIN, 0};
    return poll(&input, 1, 0) == 0;
  }

 private:
  // Waits until the input can be read, or a stop signal comes. The signals are held from the
  // test of the stop until the wait has begun, so that one arriving between the two cannot
  // leave the run asleep in a read that no more input will end.
  bool awaitInput() {
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    int ready = 1;
    if (stopRequested.load()) {
      ready = -1;
      errno = EINTR;
    } else {
      pollfd input{fd_, POLLIN, 0};
      ready = ppoll(&input, 1, nullptr, &previous);
    }
    const int pollError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (ready < 0) error_ = pollError;
    return ready >= 0;
  }

  int fd_;
  bool regular_ = false;  // a file's reads never wait
  int error_ = 0;
};

// Writes to a descriptor; after a failure a regular file is cut back to its last whole row.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd), start_(lseek(fd, 0, SEEK_CUR)) {}
  bool write(std::string_view text) override {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t count = ::write(fd_, text.data() + done, text.size() - done);
      if (count < 0 && errno == EINTR) continue;  // the rows are finished even when stopping
      if (count <= 0) {
        error_ = count < 0 ? errno : ENOSPC;
        cutToWholeRows(text.substr(0, done));
        return false;
      }
      done += std::size_t(count);
    }
    whole_ += text.size();
    return true;
  }
  std::string failure() const override { return systemError(error_); }
  std::size_t keptOfFailedWrite() const override { return kept_; }

 private:
  void cutToWholeRows(std::string_view written) {
    struct stat status {};
    if (start_ < 0 || fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) return;
    const std::size_t kept = wholeRecords(written).bytes;
    const off_t end = start_ + off_t(whole_ + kept);
    if (ftruncate(fd_, end) != 0) return;  // the failure is reported anyway
    lseek(fd_, end, SEEK_SET);
    kept_ = kept;
  }

  int fd_;
  off_t start_;
  std::size_t whole_ = 0;  // bytes of the writes that succeeded
  std::size_t kept_ = 0;   // of the failed write
  int error_ = 0;
};

// A progress line on a terminal: rows done and rows a second, at most four times a second.
class Progress {
 public:
  void update(std::size_t rows) {
    const auto now = std::chrono::steady_clock::now();
    if (now - shown_ < std::chrono::milliseconds(250)) return;
    shown_ = now;
    show(rows, now);
  }
  void finish(std::size_t rows) {
    if (!active_) return;
    show(rows, std::chrono::steady_clock::now());
    const ssize_t ignored = ::write(STDERR_FILENO, "\n", 1);
    (void)ignored;
  }

 private:
  void show(std::size_t rows, std::chrono::steady_clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char line[96];
    const int length =
        std::snprintf(line, sizeof line, "\rlittoral table: %zu rows, %.0f rows/s   ", rows,
                      seconds > 0 ? double(rows) / seconds : 0.0);
    const ssize_t ignored = ::write(STDERR_FILENO, line, std::size_t(length));
    (void)ignored;
    active_ = true;
  }

  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point shown_ = start_;
  bool active_ = false;
};

}  // namespace

struct TableCommand::Options {
  CLI::App* command = nullptr;
  std::string input = "-";
  std::string output;
  unsigned jobs = 1;
  bool columns = false;  // --columns: list the columns instead of computing
  std::string delimiter = ",";
  std::string idColumn;
};

namespace {

// The byte of a --delimiter text: one character, or tab; nothing for any other text.
std::optional<char> delimiterOf(const std::string& text) {
  if (text == "tab" || text == "\\t") return '\t';
  if (text.size() == 1 && isCsvDelimiter(text[0])) return text[0];
  return std::nullopt;
}

// Writes the whole text to standard output; false when it cannot.
bool writeOut(std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(STDOUT_FILENO, text.data(), text.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    text.remove_prefix(std::size_t(count));
  }
  return true;
}

// The catalog of the input and result columns, for --columns.
int listColumns() {
  if (writeOut(columnsCsv())) return 0;
  tell("standard output: " + systemError(errno));
  return kExitTrouble;
}

std::string rowsWritten(std::size_t rows) {
  return std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

// The count of rows with an error, and the first of them by their line and id.
void tellRowErrors(const TableOutcome& outcome) {
  tell(std::to_string(outcome.rowsWithError) + " of " + rowsWritten(outcome.rows) +
       " could not be computed (see the error column)");
  for (const RowError& named : outcome.firstErrors) {
    // A quoting fault names its line itself: "line 3, beach_slope: ...".
    const std::string line = named.row.substr(0, named.row.find(' ', 5));
    const bool sameLine = named.error.starts_with(line + ", ");
    tell(named.row + ": " + (sameLine ? named.error.substr(line.size() + 2) : named.error));
  }
  if (outcome.rowsWithError > outcome.firstErrors.size()) {
    tell("and " + std::to_string(outcome.rowsWithError - outcome.firstErrors.size()) +
         " more rows with an error");
  }
}

// What an early stop did with the rows written: written in place, or kept beside OUT, which is
// left as it was.
std::string keepRows(ResultFile& output, const std::string& outputName, std::size_t rows) {
  std::string error;
  if (!output.replacesOut()) {
    output.commit(error);  // the stop is reported already
    return "; " + rowsWritten(rows) + " written";
  }
  const std::string unchanged = ", " + outputName + " left as it was";
  if (rows == 0) {
    output.discard();
    return "; no rows written" + unchanged;
  }
  if (!output.keepPartial(error)) {
    return "; the " + rowsWritten(rows) + " written could not be kept (" + output.partialName() +
           ": " + error + ")" + unchanged;
  }
  return "; " + rowsWritten(rows) + " kept in " + output.partialName() + unchanged;
}

int runTableCommand(const TableCommand::Options& command) {
  if (command.columns) return listColumns();
  const bool fromStdin = command.input == "-";
  const std::string inputName = fromStdin ? "standard input" : command.input;
  const std::string outputName =
      command.output.empty() || command.output == "-" ? "standard output" : command.output;

  installStopHandlers();
  int inputFd = STDIN_FILENO;
  if (!fromStdin) {
    inputFd = ::open(command.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (inputFd < 0) {
      tell(inputName + ": " + systemError(errno));
      return kExitTrouble;
    }
  }
  ResultFile output;
  std::string error;
  if (!output.open(command.output, error)) {
    tell(outputName + ": " + error);
    return kExitTrouble;
  }
  if (output.replacesOut()) noteSecondStop("; " + outputName + " left as it was");

  FileSource source(inputFd);
  FileSink sink(output.fd());
  Progress progress;
  TableSettings settings;
  settings.jobs = command.jobs;
  settings.delimiter = *delimiterOf(command.delimiter);
  settings.idColumn = command.idColumn;
  settings.stop = &stopRequested;
  if (isatty(STDERR_FILENO) == 1) {
    settings.progress = [&progress](std::size_t rows) { progress.update(rows); };
  }
  const TableOutcome outcome = runTable(source, sink, settings);
  progress.finish(outcome.rows);
  if (!fromStdin) close(inputFd);

  switch (outcome.end) {
    case TableOutcome::End::unreadable:
      output.discard();
      tell(inputName + ": " + outcome.message +
           (outcome.separator != 0 ? ": " + delimiterOption(outcome.separator) + " reads it" : ""));
      return kExitTrouble;
    case TableOutcome::End::complete:
      break;
    case TableOutcome::End::readFailed:
      tell(inputName + ": " + outcome.message + keepRows(output, outputName, outcome.rows));
      return kExitTrouble;
    case TableOutcome::End::writeFailed:
      tell(outputName + ": " + outcome.message + keepRows(output, outputName, outcome.rows));
      return kExitTrouble;
    case TableOutcome::End::stopped:
      tell("stopped by signal " + std::to_string(int(stopSignal)) +
           keepRows(output, outputName, outcome.rows));
      return 128 + int(stopSignal);
  }
  if (!output.commit(error)) {
    tell(outputName + ": " + error);
    return kExitTrouble;
  }
  if (outcome.rowsWithError > 0) {
    tellRowErrors(outcome);
    return kExitRowErrors;
  }
  return 0;
}

}  // namespace

TableCommand::TableCommand(CLI::App& app) : options_(std::make_unique<Options>()) {
  TableCommand::Options& command = *options_;
  command.jobs = std::max(1u, std::thread::hardware_concurrency());
  CLI::App* table = app.add_subcommand(
      "table",
      "Compute many storms from a CSV table: one result row per storm row, in input order.");
  table->add_option("FILE", command.input, "the table of storms (CSV); - for standard input")
      ->capture_default_str();
  table
      ->add_option("-o,--output", command.output,
                   "write the result table to OUT instead of standard output")
      ->type_name("OUT");
  table->add_option("-j,--jobs", command.jobs, "compute on N threads (default: every core)")
      ->type_name("N")
      ->check(CLI::Range(1u, 4096u))
      ->capture_default_str();
  table
      ->add_option("-d,--delimiter", command.delimiter,
                   "the character between fields: ';' (a spreadsheet in a European locale) or "
                   "tab; default ','")
      ->type_name("CHAR")
      ->check([](const std::string& text) {
        return delimiterOf(text) ? std::string()
                                 : "a single character (not a quote or a line end) or tab";
      });
  table
      ->add_option("--id", command.idColumn,
                   "the column that names rows in messages (default: id, case or storm)")
      ->type_name("COLUMN");
  table->add_flag("--columns", command.columns,
                  "list the input and result columns with their units (CSV) and exit");
  command.command = table;
  table->footer(
      "Exit status: 0 every row computed, 1 some row has an error (see its error column),\n"
      "2 the table cannot be read or the results cannot be written.");
}

TableCommand::~TableCommand() = default;

bool TableCommand::chosen() const { return options_->command->parsed(); }

int TableCommand::run() const { return runTableCommand(*options_); }

}  // namespace littoral
