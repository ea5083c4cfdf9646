#pragma once

#include <memory>

namespace CLI {
class App;
}

namespace littoral {

// The command `littoral climate WINDS --fetch FETCH --shore-normal DEG --local-depth D ...`:
// from a wind record to the site's storms and their transport by year and by sector.
class ClimateCommand {
 public:
  // Adds the command and its options to the program's command line.
  explicit ClimateCommand(CLI::App& app);
  ~ClimateCommand();
  ClimateCommand(const ClimateCommand&) = delete;
  ClimateCommand& operator=(const ClimateCommand&) = delete;

  // True when the parsed command line chose this command.
  bool chosen() const;

  // Runs the command and returns its exit status: 0, 1 when a storm has an error, 2 when the
  // record, the fetch table or an option cannot be read or an output cannot be written.
  int run() const;

 private:
  struct Options;
  std::unique_ptr<Options> options_;
};

}  // namespace littoral
