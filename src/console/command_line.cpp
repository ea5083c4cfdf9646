#include "command_line.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <string_view>

#include "climate_command.hpp"
#include "table_command.hpp"

namespace littoral {
namespace {

constexpr int kExitTrouble = 2;

// A word as a shell takes it back: as it is when it holds only safe characters, otherwise in
// single quotes.
std::string shellWord(std::string_view word) {
  const auto safe = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("._-+/,:@%=").find(c) != std::string_view::npos;
  };
  if (!word.empty() && std::all_of(word.begin(), word.end(), safe)) return std::string(word);
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The message for a first argument that is a file rather than a command (`littoral
// storms.csv`), or empty.
std::string fileForCommand(const char* argument) {
  const std::string_view word = argument;
  if (word.empty() || word[0] == '-' || word == "table" || word == "climate") return {};
  struct stat status {};
  if (::stat(argument, &status) != 0 || S_ISDIR(status.st_mode)) return {};
  return "littoral: " + std::string(word) + " is a file, not a command: littoral table " +
         shellWord(word) + " computes the storms of a table (see littoral --help)\n";
}

}  // namespace

int runCommandLine(int argc, char** argv) {
  if (const std::string message = fileForCommand(argv[1]); !message.empty()) {
    const ssize_t ignored = ::write(STDERR_FILENO, message.data(), message.size());
    (void)ignored;
    return kExitTrouble;
  }
  CLI::App app(
      "Storm wave hindcast, wave transformation and longshore transport.\n"
      "Without arguments: the interactive calculator for one storm (answers on standard input,\n"
      "the report in Output.out and RESULTS.out of the working directory).",
      "littoral");
  app.set_version_flag("--version", "littoral " LITTORAL_VERSION);
  app.require_subcommand(1);

  // A bad option gets one line, named by its command as every other message; set before the
  // subcommands, which take it over.
  app.failure_message([&app](const CLI::App*, const CLI::Error& error) {
    std::string name = "littoral";
    for (const CLI::App* command : app.get_subcommands()) name += " " + command->get_name();
    return name + ": " + error.what() + "; see " + name + " --help\n";
  });

  const TableCommand table(app);
  const ClimateCommand climate(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : kExitTrouble;
  }
  if (climate.chosen()) return climate.run();
  return table.run();
}

}  // namespace littoral
