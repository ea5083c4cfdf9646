#include <gtest/gtest.h>

#include "run_binary.hpp"

namespace {

TEST(RunControl, RunCreatesTheReport) {
  const RunOutcome run = runLittoral("");
  ASSERT_TRUE(run.report.has_value());
  EXPECT_FALSE(run.results.has_value());
}

}  // namespace
