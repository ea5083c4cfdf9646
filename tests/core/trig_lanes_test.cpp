#include "trig_lanes.hpp"

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "math_error.hpp"

namespace littoral {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Each way this processor runs gives bounds that hold the library's value for arguments in
// range (a random spread, the range's ends, the pads of a short last call), and none for the
// others; the way chosen is the widest that runs.
TEST(TrigLanes, BoundsHoldTheLibraryValueInRangeAndNoneElsewhere) {
  std::mt19937_64 random(7);
  std::vector<double> x = {0x1p-20, -0x1p-20, 8,         -8,   0x1p20,    1e-300,     0.0,
                           -0.0,    9,        0x1.fp-21, 3e20, kInfinity, -kInfinity, std::nan("")};
  for (int i = 0; i < 3000; ++i)
    x.push_back(std::ldexp(double(random() % 1000 + 1) / 1000, int(random() % 44) - 21) *
                (i % 2 ? 1 : -1));
  std::size_t bounded = 0;
  for (const TrigLanes way : {TrigLanes::none, TrigLanes::avx2, TrigLanes::avx512}) {
    if (!runsTrigLanes(way)) continue;
    for (const Trig function : {Trig::sin, Trig::cos, Trig::atan}) {
      for (const std::size_t count : {x.size(), std::size_t{5}}) {
        std::vector<double> values(count, 1.0);
        trigLaneValues(way, function, x.data(), values.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
          const bool expected = way != TrigLanes::none && inTrigLaneRange(function, x[i]);
          ASSERT_EQ(!std::isnan(values[i]), expected) << int(way) << " " << std::hexfloat << x[i];
          if (!expected) continue;
          EXPECT_TRUE(boundsAroundLaneValue(values[i]).hold(checkedTrig(function, x[i])))
              << int(way) << " " << int(function) << " " << std::hexfloat << x[i];
          ++bounded;
        }
      }
    }
  }
  const bool vectors = runsTrigLanes(TrigLanes::avx2) || runsTrigLanes(TrigLanes::avx512);
  EXPECT_EQ(bounded > 0, vectors);
  EXPECT_EQ(bestTrigLanes(), runsTrigLanes(TrigLanes::avx512) ? TrigLanes::avx512
                             : runsTrigLanes(TrigLanes::avx2) ? TrigLanes::avx2
                                                              : TrigLanes::none);
}

// A value is stored from the bounds around its vector value only where both store to one
// single; else, and without a vector value, from the library, which raises the error of a bad
// argument.
TEST(TrigLanes, StoreTakesTheBoundsOnlyWhereTheyAgree) {
  const auto toSingle = [](double value) { return static_cast<float>(value); };
  const double x = 0.5;
  const float library = toSingle(std::sin(x));
  const double none = std::nan("");
  EXPECT_EQ(storeTrig(TrigValue{Trig::sin, x, none}, toSingle), library);
  // A vector value far from the library's, whose bounds store to one single: that single.
  EXPECT_EQ(storeTrig(TrigValue{Trig::sin, x, 0.25}, toSingle), 0.25f);
  // One whose bounds store to two singles: the library's.
  const double between = (double(0.25f) + double(std::nextafter(0.25f, 1.0f))) / 2;
  EXPECT_EQ(storeTrig(TrigValue{Trig::sin, x, between}, toSingle), library);
  EXPECT_THROW(storeTrig(TrigValue{Trig::atan, kInfinity, none}, toSingle), MathError);
}

}  // namespace
}  // namespace littoral
