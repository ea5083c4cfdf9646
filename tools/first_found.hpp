#pragma once

// The check tools' sweeps over the singles, run on every core.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace littoral {

// Runs search(thread, threads, found) on every core, thread from 0 to threads - 1, each taking
// its share of a sweep; a search that meets what it looks for stores its bits (not 0) with
// found.compare_exchange_strong, and may stop once found holds anything. Returns the bits found
// first, or 0.
template <class Search>
std::uint32_t firstFound(Search search) {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint32_t> found{0};
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] { search(t, threads, found); });
  }
  for (std::thread& worker : workers) worker.join();
  return found.load();
}

// Keeps bits in found unless it holds some already.
inline void keepFirst(std::atomic<std::uint32_t>& found, std::uint32_t bits) {
  std::uint32_t none = 0;
  found.compare_exchange_strong(none, bits);
}

}  // namespace littoral
