#include <fstream>

#include <gtest/gtest.h>

#include "run_binary.hpp"

namespace littoral {
namespace {

TEST(RunControl, ExistingReportIsRewrittenFromItsStart) {
  RunOptions options;
  options.prepare = [](const std::string& directory) {
    std::ofstream(directory + "/Output.out") << std::string(5000, 'o') << "\n";
  };
  const RunOutcome run = runLittoral("x\n", options);
  EXPECT_EQ(run.report, " REPORT\r\n");
  EXPECT_FALSE(run.results);
}

}  // namespace

}  // namespace littoral
