// Checks every side-by-side way of writing reals that this processor runs against the
// one-at-a-time formatter over all 2^32 singles, a block of 69 at a time as a table row's reals
// are written (by hand before changing a way; about three and a half minutes a way on two
// cores). Prints each way's count of differences, the first few of them, and exits 1 on any.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <thread>

#include "real_texts.hpp"

namespace littoral {
namespace {

constexpr std::size_t kBlock = 69;  // a row's reals

std::atomic<std::uint64_t> differences{0};

void checkRange(RealTextWay way, std::uint64_t first, std::uint64_t end) {
  float values[kBlock];
  RealTexts sideBySide;
  RealTexts oneAtATime;
  for (std::uint64_t start = first; start < end; start += kBlock) {
    const auto count = std::size_t(std::min<std::uint64_t>(kBlock, end - start));
    for (std::size_t i = 0; i < count; ++i) {
      values[i] = std::bit_cast<float>(std::uint32_t(start + i));
    }
    writeRealTexts(values, count, sideBySide, way);
    writeRealTexts(values, count, oneAtATime, RealTextWay::oneAtATime);
    for (std::size_t i = 0; i < count; ++i) {
      const std::string_view got(sideBySide.text[i].data(), sideBySide.length[i]);
      const std::string_view wanted(oneAtATime.text[i].data(), oneAtATime.length[i]);
      if (got != wanted && differences++ < 5) {
        std::printf("  0x%08x: %.*s, one at a time %.*s\n", unsigned(start + i), int(got.size()),
                    got.data(), int(wanted.size()), wanted.data());
      }
    }
  }
}

}  // namespace
}  // namespace littoral

int main() {
  using namespace littoral;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  constexpr std::uint64_t kSingles = std::uint64_t(1) << 32;
  std::uint64_t total = 0;
  for (const RealTextWay way : {RealTextWay::avx2, RealTextWay::avx512}) {
    const char* name = way == RealTextWay::avx2 ? "AVX2" : "AVX-512";
    if (!runsRealTextWay(way)) {
      std::printf("%s: not run by this processor\n", name);
      continue;
    }
    differences = 0;
    std::thread workers[64];
    const unsigned count = std::min(threads, 64u);
    const std::uint64_t share = (kSingles / count + kBlock - 1) / kBlock * kBlock;
    for (unsigned t = 0; t < count; ++t) {
      const std::uint64_t first = std::min(kSingles, share * t);
      workers[t] = std::thread(checkRange, way, first, std::min(kSingles, first + share));
    }
    for (unsigned t = 0; t < count; ++t) workers[t].join();
    std::printf("%s: %llu singles differ from the one-at-a-time text of 4294967296\n", name,
                static_cast<unsigned long long>(differences.load()));
    total += differences;
  }
  return total == 0 ? 0 : 1;
}
