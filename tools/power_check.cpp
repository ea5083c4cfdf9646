// Checks, for every positive finite single, that the bounds of each power worked from square
// roots (boundRootPower) hold the library's pow of that single, which is what lets the stages
// store such a power without calling pow (storeRootPower). Prints what it checked and exits 1
// at the first single whose power falls outside its bounds.
#include <atomic>
#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "first_found.hpp"
#include "numerics.hpp"

namespace littoral {
namespace {

constexpr std::uint32_t kLargestFinite = 0x7f7fffffu;

// The bits of the first positive single from `first` whose `power` falls outside the bounds,
// or 0, each thread taking every n-th single.
std::uint32_t firstOutside(std::uint32_t first, RootPower power, double exponent) {
  return firstFound([&](unsigned t, unsigned threads, std::atomic<std::uint32_t>& found) {
    for (std::uint64_t bits = first + t; bits <= kLargestFinite; bits += threads) {
      const float base = std::bit_cast<float>(std::uint32_t(bits));
      if (!boundRootPower(base, power).hold(realPower(double(base), exponent))) {
        keepFirst(found, std::uint32_t(bits));
        return;
      }
    }
  });
}

}  // namespace
}  // namespace littoral

int main() {
  using namespace littoral;
  setNumericEnvironment();
  // The check itself finds a power outside its bounds.
  if (firstOutside(std::bit_cast<std::uint32_t>(1.5f), RootPower::quarter, 0.2500001) == 0) {
    std::puts("the check misses a power outside its bounds");
    return 2;
  }
  const struct {
    const char* name;
    RootPower power;
  } powers[] = {{"x^(1/4)", RootPower::quarter},
                {"x^(3/8)", RootPower::threeEighths},
                {"x^(3/4)", RootPower::threeQuarters},
                {"x^(3/2)", RootPower::threeHalves},
                {"x^(5/2)", RootPower::twoAndAHalf}};
  bool holds = true;
  for (const auto& [name, power] : powers) {
    const std::uint32_t outside = firstOutside(1, power, exponentOf(power));
    if (outside != 0) {
      std::printf("%s: pow(%a) is outside its bounds (bits %08" PRIx32 ")\n", name,
                  double(std::bit_cast<float>(outside)), outside);
      holds = false;
    } else {
      std::printf("%s: the bounds hold pow over every positive finite single\n", name);
    }
  }
  return holds ? 0 : 1;
}
