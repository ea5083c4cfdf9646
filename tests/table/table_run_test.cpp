#include "table_run.hpp"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "csv_records.hpp"
#include "storm_columns.hpp"
#include "worker_pool.hpp"

namespace littoral {
namespace {

// The table in pieces of a given size; a failure after failAfter bytes when set.
class TextSource final : public ByteSource {
 public:
  TextSource(std::string text, std::size_t pieceSize, std::size_t failAfter = std::string::npos)
      : text_(std::move(text)), pieceSize_(pieceSize), failAfter_(failAfter) {}
  long read(char* buffer, std::size_t size) override {
    if (at_ >= failAfter_) return -1;
    const std::size_t count =
        std::min({size, pieceSize_, text_.size() - at_, failAfter_ - std::min(failAfter_, at_)});
    std::memcpy(buffer, text_.data() + at_, count);
    at_ += count;
    return long(count);
  }
  std::string failure() const override { return "Input/output error"; }

 private:
  std::string text_;
  std::size_t pieceSize_;
  std::size_t failAfter_;
  std::size_t at_ = 0;
};

// The results in memory; a failure at the write numbered failAt when set.
class TextSink final : public ByteSink {
 public:
  explicit TextSink(std::size_t failAt = std::string::npos) : failAt_(failAt) {}
  bool write(std::string_view rows) override {
    if (writes_++ == failAt_) return false;
    text += rows;
    return true;
  }
  std::string failure() const override { return "No space left on device"; }
  std::string text;

 private:
  std::size_t failAt_;
  std::size_t writes_ = 0;
};

const std::string kHeader =
    "id,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,"
    "angle_deg,settling_velocity\n";

// Storms that differ from row to row: SI and US, short and long, with and without transport.
std::string stormRows(int count) {
  std::string rows;
  for (int i = 0; i < count; ++i) {
    const bool us = i % 2 == 1;
    rows += std::to_string(i) + (us ? ",32.2," : ",9.81,") + std::to_string(10 + i % 7) +
            ",50,km," + std::to_string(15 + i % 11) + ",m/s," + std::to_string(1 + i % 6) +
            ",1,1,3," + std::to_string(i % 40) + "," + (i % 3 == 0 ? "" : "1.5") + "\n";
  }
  return rows;
}

TableOutcome runOn(const std::string& table, TextSink& sink, unsigned jobs = 1,
                   std::size_t batchRows = 1024, std::size_t pieceSize = 4096) {
  TextSource source(table, pieceSize);
  TableSettings settings;
  settings.jobs = jobs;
  settings.batchRows = batchRows;
  return runTable(source, sink, settings);
}

TEST(TableRun, RowsComeOutInInputOrderOnAnyNumberOfThreads) {
  const std::string table = kHeader + stormRows(300);
  TextSink alone;
  const TableOutcome one = runOn(table, alone);
  EXPECT_EQ(one.end, TableOutcome::End::complete);
  EXPECT_EQ(one.rows, 300u);
  EXPECT_EQ(one.rowsWithError, 0u);
  const Records records = readInPieces(alone.text);
  ASSERT_EQ(records.size(), 301u);
  for (std::size_t row = 1; row < records.size(); ++row) {
    EXPECT_EQ(records[row][0], std::to_string(row - 1));
    EXPECT_EQ(records[row].size(), records[0].size());
  }
  for (const unsigned jobs : {2u, 4u, 7u}) {
    TextSink many;
    const TableOutcome outcome = runOn(table, many, jobs, 3, 17);
    EXPECT_EQ(outcome.rows, 300u);
    EXPECT_EQ(many.text, alone.text) << jobs << " threads";
  }
}

TEST(TableRun, OtherColumnsAreCarriedThroughInTheirPlace) {
  const std::string table =
      "\xEF\xBB\xBF"
      "note,angle_deg,local_depth,rl,rt,duration_h,speed_unit,wind_speed,fetch_unit,"
      "fetch,depth,gravity,station\r\n"
      "\"storm, \"\"big\"\"\r\none\",30,3,1,1,5,2,20,4,50,10,9.81, N1 \r\n";
  TextSink sink;
  EXPECT_EQ(runOn(table, sink, 1, 1024, 5).end, TableOutcome::End::complete);
  const Records records = readInPieces(sink.text);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1][0], "storm, \"big\"\r\none");
  EXPECT_EQ(records[1][12], " N1 ");
  EXPECT_EQ(records[0][13], "units");
  EXPECT_EQ(records[1][13], "SI");
  EXPECT_EQ(records[0].back(), "error_cause");
  EXPECT_EQ(records[1].back(), "");
  EXPECT_EQ(sink.text.find('\r'), sink.text.find("\r\none"));  // LF line ends
  EXPECT_EQ(sink.text.substr(0, 5), "note,");                  // no byte-order mark
}

TEST(TableRun, RowErrorsDoNotStopTheTable) {
  std::string longRow = stormRows(1);
  longRow.back() = ',';
  const std::string table = kHeader + stormRows(1) + "1,9.81\n" + longRow + "extra\n" +
                            "3,30,10,50,km,20,m/s,5,1,1,3,30,1.5\n" +
                            "4,9.81,10,50,kmh,20,m/s,5,1,1,3,30,1.5\n" + "x" + stormRows(1);
  TextSink sink;
  const TableOutcome outcome = runOn(table, sink);
  EXPECT_EQ(outcome.end, TableOutcome::End::complete);
  EXPECT_EQ(outcome.rows, 6u);
  EXPECT_EQ(outcome.rowsWithError, 4u);
  const Records records = readInPieces(sink.text);
  ASSERT_EQ(records.size(), 7u);
  for (const auto& record : records) EXPECT_EQ(record.size(), records[0].size());
  const auto at = [&](const char* name) {
    return std::size_t(std::find(records[0].begin(), records[0].end(), name) - records[0].begin());
  };
  const std::size_t units = at("units");
  const std::size_t error = at("error");
  EXPECT_EQ(records[1][error], "");
  EXPECT_EQ(records[2][error], "the row has 2 fields, the header 13");
  EXPECT_EQ(records[2][1], "9.81");
  EXPECT_EQ(records[2][2], "");  // padded
  EXPECT_EQ(records[2][units], "");
  EXPECT_EQ(records[3][error], "the row has 14 fields, the header 13");
  EXPECT_EQ(records[4][error], "math error 6201: sqrt: DOMAIN error");
  EXPECT_EQ(records[4][units], "none");  // the values before the error stay
  EXPECT_EQ(records[4].back(), "gravity 30: above 30 is US units, below 30 SI units");
  EXPECT_EQ(records[5][error], "fetch_unit: \"kmh\" is not 1-5 or ft, m, miles, km, kml");
  EXPECT_EQ(records[6][0], "x0");
  EXPECT_EQ(records[6][error], "");
}

TEST(TableRun, TableThatCannotBeReadWritesNothing) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "no header row"},
      {"\xEF\xBB\xBF\r\n\n", "no header row"},
      {"gravity,depth\n9.81,10\n",
       "no column fetch, fetch_unit, wind_speed, speed_unit, duration_h, rt, rl, local_depth, "
       "angle_deg"},
  };
  for (const auto& [table, message] : cases) {
    TextSink sink;
    const TableOutcome outcome = runOn(table, sink);
    EXPECT_EQ(outcome.end, TableOutcome::End::unreadable);
    EXPECT_EQ(outcome.message, message);
    EXPECT_EQ(sink.text, "");
  }
}

TEST(TableRun, FailuresKeepOnlyWholeRows) {
  const std::string table = kHeader + stormRows(50);
  {
    TextSource source(table, 64, kHeader.size() + 1000);
    TextSink sink;
    TableSettings settings;
    settings.batchRows = 4;
    const TableOutcome outcome = runTable(source, sink, settings);
    EXPECT_EQ(outcome.end, TableOutcome::End::readFailed);
    EXPECT_EQ(outcome.message, "Input/output error");
    // Every row read whole before the failure, and no more.
    const auto wholeRows = std::size_t(std::count(
        table.begin() + long(kHeader.size()), table.begin() + long(kHeader.size()) + 1000, '\n'));
    EXPECT_EQ(outcome.rows, wholeRows);
    EXPECT_EQ(readInPieces(sink.text).size(), outcome.rows + 1);
  }
  {
    TextSource source(table, 64, 10);  // before the header is whole
    TextSink sink;
    EXPECT_EQ(runTable(source, sink, {}).end, TableOutcome::End::unreadable);
    EXPECT_EQ(sink.text, "");
  }
  for (const unsigned jobs : {1u, 3u}) {
    TextSink sink(3);  // the header and two batches
    const TableOutcome outcome = runOn(table, sink, jobs, 5);
    EXPECT_EQ(outcome.end, TableOutcome::End::writeFailed);
    EXPECT_EQ(outcome.message, "No space left on device");
    EXPECT_EQ(outcome.rows, 10u);
    EXPECT_EQ(readInPieces(sink.text).size(), 11u);
  }
}

TEST(TableRun, StopEndsAfterTheRowsThatAreReady) {
  const std::string table = kHeader + stormRows(400);
  for (const unsigned jobs : {1u, 2u}) {
    std::atomic<bool> stop{false};
    TextSource source(table, 256);
    TextSink sink;
    TableSettings settings;
    settings.jobs = jobs;
    settings.batchRows = 8;
    settings.stop = &stop;
    std::size_t progressed = 0;
    settings.progress = [&](std::size_t rows) {
      progressed = rows;
      stop = true;
    };
    const TableOutcome outcome = runTable(source, sink, settings);
    EXPECT_EQ(outcome.end, TableOutcome::End::stopped);
    EXPECT_EQ(outcome.rows, progressed);
    EXPECT_LT(outcome.rows, 100u);
    const Records records = readInPieces(sink.text);
    EXPECT_EQ(records.size(), outcome.rows + 1);
    for (const auto& record : records) EXPECT_EQ(record.size(), records[0].size());
  }
}

// Chunks that each end well within the 100 ms between the checks still see a stop within them.
TEST(TableRun, ChunksStopOnTheirCheckHoweverQuickTheChunks) {
  for (const unsigned jobs : {1u, 2u}) {
    std::atomic<std::size_t> chunksRun{0};
    std::size_t checks = 0;
    const bool finished = runInChunks(
        400, 1, jobs,
        [&](std::size_t, std::size_t) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
          ++chunksRun;
        },
        [&] { return ++checks < 2; });
    EXPECT_FALSE(finished);
    EXPECT_EQ(checks, 2u);
    EXPECT_LT(chunksRun, 200u);  // 2 s of chunks on one thread; stopped after about 200 ms
  }
}

// The thread that waits for a task runs the tasks not started, in their order, while the pool's
// one thread is busy: jobs threads compute in all, the waiting one among them.
TEST(TableRun, AThreadWaitingForATaskRunsTheTasksNotStarted) {
  WorkerPool pool(1);
  std::atomic<bool> release{false};
  std::atomic<bool> started{false};
  std::vector<std::thread::id> ranOn(3);
  std::vector<PoolTask> tasks(3);
  tasks[0].run = [&] {
    started = true;
    while (!release) std::this_thread::yield();
    ranOn[0] = std::this_thread::get_id();
  };
  for (std::size_t i = 1; i < tasks.size(); ++i) {
    tasks[i].run = [&ranOn, i] { ranOn[i] = std::this_thread::get_id(); };
  }
  for (PoolTask& task : tasks) pool.submit(task);
  while (!started) std::this_thread::yield();
  EXPECT_TRUE(pool.runWaitingTask());
  EXPECT_TRUE(pool.isDone(tasks[1]));
  EXPECT_FALSE(pool.isDone(tasks[2]));
  EXPECT_TRUE(pool.runWaitingTask());
  EXPECT_FALSE(pool.runWaitingTask());
  release = true;
  pool.waitFor(tasks[0]);
  EXPECT_NE(ranOn[0], std::this_thread::get_id());
  EXPECT_EQ(ranOn[1], std::this_thread::get_id());
  EXPECT_EQ(ranOn[2], std::this_thread::get_id());
}

// A pool's threads take no interrupt, which the thread that hands out the work takes, but do
// take SIGPIPE, which a write to a closed pipe raises on the writing thread.
TEST(TableRun, APoolsThreadsTakeOnlyTheSignalOfAClosedPipe) {
  WorkerPool pool(1);
  sigset_t blocked;
  sigemptyset(&blocked);
  PoolTask task;
  task.run = [&blocked] { pthread_sigmask(SIG_BLOCK, nullptr, &blocked); };
  pool.submit(task);
  pool.waitFor(task);
  EXPECT_EQ(sigismember(&blocked, SIGINT), 1);
  EXPECT_EQ(sigismember(&blocked, SIGPIPE), 0);
}

}  // namespace

}  // namespace littoral
