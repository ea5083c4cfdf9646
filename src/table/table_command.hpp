#pragma once

#include <memory>

namespace CLI {
class App;
}

namespace littoral {

// The command `littoral table [FILE|-] [-o OUT] [-j N] [-d CHAR] [--id COLUMN] [--columns]`:
// many storms from a CSV table, one result row for each row, in order.
class TableCommand {
 public:
  // Adds the command and its options to the program's command line.
  explicit TableCommand(CLI::App& app);
  ~TableCommand();
  TableCommand(const TableCommand&) = delete;
  TableCommand& operator=(const TableCommand&) = delete;

  // True when the parsed command line chose this command.
  bool chosen() const;

  // Runs the command and returns its exit status: 0, 1 when a row has an error, 2 when the
  // table cannot be read or the results cannot be written, 128 + a signal that stopped it.
  int run() const;

  struct Options;

 private:
  std::unique_ptr<Options> options_;
};

}  // namespace littoral
