// Times the computation alone, on answers already read: runStorm one storm at a time, and
// runStorms over the storms of a table in batches as run_table hands them to a thread
// (by hand, not part of CI; bench/compute_bench.py runs it beside a numpy chain).
//
//     storm_bench TABLE.csv [RUNS]
//
// Reads the table's answers with the table command's reader (bench/storm_table.py writes a
// realistic one), then runs every storm of it RUNS times each way (default 5) and prints the
// best run of each as storms a second of this thread's processor time; the timed batches write
// into one batch's buffer, as the table's do. Both ways must give the same values, bit for bit:
// a difference ends the program with status 1.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "csv.hpp"
#include "littoral/storm.hpp"
#include "storm_columns.hpp"

namespace littoral {
namespace {

constexpr std::size_t kBatch = 1024;  // run_table's rows a chunk (the table command's are 256)

class AnswerCollector final : public CsvRecordHandler {
 public:
  void onRecord(const CsvRecord& record) override {
    if (!header_) {
      header_ = readTableHeader(record);
      if (!header_->error.empty()) fail(header_->error);
      return;
    }
    std::vector<std::string_view> fields;
    for (std::size_t i = 0; i < record.size(); ++i) fields.push_back(record.field(i));
    fields.resize(header_->names.size());
    AnswerReading reading = readAnswers(header_->positions, fields);
    if (!reading.error.empty()) fail(reading.error);
    answers.push_back(reading.answers);
  }

  std::vector<StormAnswers> answers;

 private:
  [[noreturn]] static void fail(const std::string& why) {
    std::fprintf(stderr, "storm_bench: %s\n", why.c_str());
    std::exit(2);
  }
  std::optional<TableHeader> header_;
};

std::vector<StormAnswers> readTable(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  AnswerCollector collector;
  CsvReader reader(collector);
  if (!file || !reader.read(text.str()) || !reader.finish()) {
    std::fprintf(stderr, "storm_bench: cannot read %s\n", path);
    std::exit(2);
  }
  return std::move(collector.answers);
}

// The processor time of this thread: on a shared machine, the time that other processes take
// from it is left out.
double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

template <class Run>
double bestSeconds(int runs, Run run) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double start = threadSeconds();
    run();
    best = std::min(best, threadSeconds() - start);
  }
  return best;
}

bool sameValues(const StormValues& a, const StormValues& b) {
  return a.error == b.error && a.passes == b.passes && a.units == b.units &&
         a.limitedBy == b.limitedBy && a.present == b.present && a.warnings == b.warnings &&
         std::memcmp(a.values.data(), b.values.data(), sizeof a.values) == 0;
}

}  // namespace
}  // namespace littoral

int main(int argc, char** argv) {
  using namespace littoral;
  if (argc < 2) {
    std::fprintf(stderr, "usage: storm_bench TABLE.csv [RUNS]\n");
    return 2;
  }
  const std::vector<StormAnswers> answers = readTable(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::size_t count = answers.size();
  std::vector<StormValues> one(count);
  std::vector<StormValues> batched(count);

  const double oneSeconds = bestSeconds(runs, [&] {
    for (std::size_t i = 0; i < count; ++i) one[i] = runStorm(answers[i]);
  });
  // Each batch's values go to the same buffer, as the table command's batches do, so that the
  // time is the computation's and not the memory's that 200,000 storms' values would fill.
  std::vector<StormValues> buffer(kBatch);
  const auto runBatches = [&](bool keep) {
    for (std::size_t first = 0; first < count; first += kBatch) {
      const std::size_t size = std::min(kBatch, count - first);
      const std::span<StormValues> out =
          keep ? std::span(batched).subspan(first, size) : std::span(buffer).first(size);
      runStorms(std::span(answers).subspan(first, size), out);
    }
  };
  const double batchSeconds = bestSeconds(runs, [&] { runBatches(false); });
  runBatches(true);
  for (std::size_t i = 0; i < count; ++i) {
    if (!sameValues(one[i], batched[i])) {
      std::fprintf(stderr, "storm_bench: storm %zu differs between runStorm and runStorms\n", i);
      return 1;
    }
  }
  std::printf("storms %zu, best of %d runs\n", count, runs);
  std::printf("runStorm one by one: %.0f storms/s (%.3f us a storm)\n", double(count) / oneSeconds,
              oneSeconds / double(count) * 1e6);
  std::printf("runStorms in batches of %zu: %.0f storms/s (%.3f us a storm)\n", kBatch,
              double(count) / batchSeconds, batchSeconds / double(count) * 1e6);
  return 0;
}
