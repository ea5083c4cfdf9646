// Checks, for every single it can meet, that the period of the growth laws never decreases as
// the fetch grows, which lets the growth loop find its last pass by halving instead of running
// every pass (beginLastGrowthPass). Of the chain FF -> FF^(1/3) -> r -> tanh(r) -> FTs -> ts,
// the products and quotients by positive constants are correctly rounded and so keep the order
// of their operands; what the library and the program compute themselves is checked here:
//   - periodFetchPower(FF), the library's FF^(1/3), over every non-negative finite single FF;
//   - tanhExp(r), the program's tanh from two exponentials, over every single r from 0 to the
//     largest for which it is finite (beyond that the first pass already ends the loop).
// Prints what it checked and exits 1 at the first value that is smaller than the one before.
#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include "hindcast.hpp"
#include "numerics.hpp"

namespace littoral {
namespace {

float fromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

struct Inversion {
  std::uint32_t bits = 0;
  bool found = false;
};

// Checks that f is non-decreasing over the singles of bits [first, last], each thread taking
// a slice whose first value it compares with the value before it.
template <class Function>
Inversion checkNonDecreasing(std::uint32_t first, std::uint32_t last, Function f) {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<Inversion> found(threads);
  std::vector<std::thread> workers;
  const std::uint64_t count = std::uint64_t(last) - first + 1;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      const std::uint32_t begin = std::uint32_t(first + count * t / threads);
      const std::uint32_t end = std::uint32_t(first + count * (t + 1) / threads - 1);
      double before = begin == first ? -double(INFINITY) : f(fromBits(begin - 1));
      for (std::uint32_t bits = begin;; ++bits) {
        const double value = f(fromBits(bits));
        if (!(value >= before)) {
          found[t] = {bits, true};
          return;
        }
        before = value;
        if (bits == end) return;
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  for (const Inversion& inversion : found) {
    if (inversion.found) return inversion;
  }
  return {};
}

bool report(const char* what, std::uint32_t first, std::uint32_t last, const Inversion& result) {
  if (result.found) {
    std::printf("%s: smaller than the value before it at %a (bits %08" PRIx32 ")\n", what,
                double(fromBits(result.bits)), result.bits);
    return false;
  }
  std::printf("%s: non-decreasing over %" PRIu64 " singles, %a to %a\n", what,
              std::uint64_t(last) - first + 1, double(fromBits(first)), double(fromBits(last)));
  return true;
}

}  // namespace

}  // namespace littoral

int main() {
  using namespace littoral;
  setNumericEnvironment();
  // The check itself finds a value smaller than the one before it.
  if (!checkNonDecreasing(std::bit_cast<std::uint32_t>(1.0f), std::bit_cast<std::uint32_t>(2.0f),
                          [](float x) { return 1 / double(x); })
           .found) {
    std::puts("the check misses a decreasing function");
    return 2;
  }
  const std::uint32_t largestFinite = 0x7f7fffffu;
  const bool powerHolds = report("periodFetchPower(FF)", 0, largestFinite,
                                 checkNonDecreasing(0, largestFinite, periodFetchPower));
  // tanhExp is finite while exp(r) rounds to a finite single.
  std::uint32_t tanhLast = 0;
  std::uint32_t tanhNaN = std::bit_cast<std::uint32_t>(700.0f);
  while (tanhNaN - tanhLast > 1) {
    const std::uint32_t middle = tanhLast + (tanhNaN - tanhLast) / 2;
    (std::isfinite(tanhExp(fromBits(middle))) ? tanhLast : tanhNaN) = middle;
  }
  const bool tanhHolds =
      report("tanhExp(r)", 0, tanhLast,
             checkNonDecreasing(0, tanhLast, [](float r) { return tanhExp(r); }));
  return powerHolds && tanhHolds ? 0 : 1;
}
