#include "pause.hpp"

#include <istream>
#include <optional>
#include <string>

#include "transcript.hpp"

namespace littoral {
namespace {

constexpr std::size_t kPauseLineLength = 1024;

struct PauseLine {
  std::string text;  // its first characters, one more than a command may have
  bool tooLong = false;
};

// Reads the next line a character at a time, keeping no more of it than a command may have
// (a CR LF ending is not counted); nothing at the end of the input.
std::optional<PauseLine> readPauseLine(std::istream& input) {
  using Traits = std::istream::traits_type;
  std::streambuf& characters = *input.rdbuf();
  PauseLine line;
  std::size_t length = 0;
  Traits::int_type c = characters.sbumpc();
  if (Traits::eq_int_type(c, Traits::eof())) return std::nullopt;
  for (; !Traits::eq_int_type(c, Traits::eof()) && c != '\n'; c = characters.sbumpc()) {
    if (length <= kPauseLineLength) line.text += Traits::to_char_type(c);
    ++length;
  }
  if (!line.text.empty() && line.text.back() == '\r' && length <= kPauseLineLength + 1) {
    line.text.pop_back();  // a CR LF line ending is not part of the command
    --length;
  }
  line.tooLong = length > kPauseLineLength;
  return line;
}

}  // namespace

void pause(RunIo& io) {
  for (;;) {
    writeText(io.console, kPausePrompt);
    releaseConsole(io);
    const std::optional<PauseLine> line = readPauseLine(*io.input);
    if (!line) return;  // the end of the input continues the run
    if (line->text.empty() || line->text[0] == '\r') return;
    if (line->tooLong) {
      // Never a part of it: the rest might change what the part does.
      writeText(io.console, "Command too long (over 1024 characters): not run\n");
      continue;
    }
    io.runCommand(line->text);
  }
}

}  // namespace littoral
