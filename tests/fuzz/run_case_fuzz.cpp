// Feeds arbitrary bytes as the console answers of one whole run, in process, with the files in
// a scratch directory and a pause that runs no command. Every input must end the run normally
// or with exactly one run-time message.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include <stdlib.h>

#include "driver.hpp"
#include "run_errors.hpp"
#include "run_io.hpp"

namespace littoral {
namespace {

void runNoCommand(const std::string&) {}

std::filesystem::path scratchDirectory;

void removeScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(scratchDirectory, ignored);
}

// Every run writes its files in one scratch directory, made at the first input.
void enterScratchDirectory() {
  if (!scratchDirectory.empty()) return;
  std::string pattern = (std::filesystem::temp_directory_path() / "littoral-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  scratchDirectory = pattern;
  std::filesystem::current_path(scratchDirectory);
  std::atexit(removeScratchDirectory);
}

bool isOneMessageLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enterScratchDirectory();
  std::istringstream answers(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream console;
  std::ostringstream errors;
  RunIo io;
  bindConsole(io, answers, console, errors);
  io.runCommand = runNoCommand;
  const int status = runCase(io);
  const bool sound = status == kExitNormal
                         ? errors.str().empty()
                         : (status == kExitRunTimeError || status == kExitMathError) &&
                               isOneMessageLine(errors.str());
  if (!sound) std::abort();
  return 0;
}

}  // namespace littoral
