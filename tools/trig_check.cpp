// Checks, for every argument that the stages make for sin, cos and atan from a single, that the
// bounds of each vector way that runs here (trig_lanes) hold the library's value, which is what
// lets runStorms store those values from the bounds. The arguments are those of the stages'
// expressions (the offshore, deep-water and local angles, twice the deep-water angle, the
// transport's angles from twice the local angle in degrees, and the tangents of the deep-water
// and local sines), for every single from 2^-22 to 2^11 in size, of both signs: beyond those no
// argument is in the ways' range. Prints what it checked and exits 1 at the first argument whose
// value falls outside its bounds.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "first_found.hpp"
#include "numerics.hpp"
#include "transform.hpp"
#include "transport.hpp"
#include "trig_lanes.hpp"

namespace littoral {
namespace {

constexpr std::uint32_t kFirstBits = 0x34800000u;  // 2^-22
constexpr std::uint32_t kEndBits = 0x45000000u;    // 2^11

struct Sweep {
  const char* name;
  Trig function;
  double (*argument)(float single);  // the stages' argument; NaN where it makes none
};

const float kPi = computePi();

const Sweep kSweeps[] = {
    {"sin of an angle", Trig::sin, [](float s) { return double(s); }},
    {"cos of an angle", Trig::cos, [](float s) { return double(s); }},
    {"sin of twice the deep-water angle", Trig::sin, [](float s) { return 2 * double(s); }},
    {"sin of kpls's angle", Trig::sin, [](float s) { return kplsAngle(kPi, s); }},
    {"sin of the surf current's angle", Trig::sin,
     [](float s) { return radiansOfDegrees(kPi, s); }},
    {"atan of a sine's tangent", Trig::atan,
     [](float s) { return std::fabs(s) < 1 ? tangentOfSine(s) : std::nan(""); }},
};

// The bits of the first single (with the sign as its top bit) whose argument's library value
// lies outside the way's bounds for `checked`, or 0; each thread takes every n-th block.
std::uint32_t firstOutside(TrigLanes way, const Sweep& sweep, Trig checked) {
  constexpr std::uint32_t kBlock = 4096;
  return firstFound([&](unsigned t, unsigned threads, std::atomic<std::uint32_t>& found) {
    std::vector<double> x(kBlock);
    std::vector<std::uint32_t> bits(kBlock);
    std::vector<double> values(kBlock);
    for (std::uint64_t first = kFirstBits + std::uint64_t(t) * kBlock; first < kEndBits;
         first += std::uint64_t(threads) * kBlock) {
      if (found.load(std::memory_order_relaxed) != 0) return;
      for (const std::uint32_t sign : {0u, 0x80000000u}) {
        std::size_t count = 0;
        for (std::uint64_t b = first; b < std::min<std::uint64_t>(first + kBlock, kEndBits); ++b) {
          const auto single = std::bit_cast<float>(std::uint32_t(b) | sign);
          const double argument = sweep.argument(single);
          if (!inTrigLaneRange(sweep.function, argument)) continue;
          bits[count] = std::uint32_t(b) | sign;
          x[count++] = argument;
        }
        trigLaneValues(way, sweep.function, x.data(), values.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
          if (!boundsAroundLaneValue(values[i]).hold(checkedTrig(checked, x[i]))) {
            keepFirst(found, bits[i]);
            return;
          }
        }
      }
    }
  });
}

}  // namespace
}  // namespace littoral

int main() {
  using namespace littoral;
  setNumericEnvironment();
  bool holds = true;
  bool checked = false;
  for (const TrigLanes way : {TrigLanes::avx512, TrigLanes::avx2}) {
    if (!runsTrigLanes(way)) continue;
    const char* wayName = way == TrigLanes::avx512 ? "AVX-512" : "AVX2";
    // The check itself finds values outside their bounds: cos against the bounds of sin.
    if (firstOutside(way, kSweeps[0], Trig::cos) == 0) {
      std::printf("%s: the check misses a value outside its bounds\n", wayName);
      return 2;
    }
    checked = true;
    for (const Sweep& sweep : kSweeps) {
      const std::uint32_t outside = firstOutside(way, sweep, sweep.function);
      if (outside != 0) {
        std::printf("%s, %s: the value for the single %a is outside its bounds (bits %08" PRIx32
                    ")\n",
                    wayName, sweep.name, double(std::bit_cast<float>(outside)), outside);
        holds = false;
      } else {
        std::printf("%s, %s: the bounds hold the library's value for every single\n", wayName,
                    sweep.name);
      }
    }
  }
  if (!checked) std::puts("no vector way runs here: every value comes from the library");
  return holds ? 0 : 1;
}
