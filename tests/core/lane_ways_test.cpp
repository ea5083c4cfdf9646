#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "exp_lanes.hpp"
#include "hindcast.hpp"
#include "lane_ways.hpp"
#include "numerics.hpp"
#include "single_lanes.hpp"

namespace littoral {
namespace {

#ifdef LITTORAL_EXP_LANES_X86

// The exponents the growth laws raise to (the duration's and the fetch's), the wind's, and
// others on either side of one and below zero.
const double kExponents[] = {kDurationLawExponent, kPeriodFetchExponent, double(1.23f), 2.5, -0.7};

// What operationsOfLanes gives: a value of each lane, and a mask's bit of each.
struct LaneResults {
  double sum[8], difference[8], product[8], quotient[8], root[8], magnitude[8], negated[8];
  double rounded[8], stored[8], widened[8], selected[8], dividedWhere[8];
  float singles[8];
  std::uint8_t greater, greaterOrEqual, lessOrEqual, ordered, sameBits;
};

// The operations, the pow and its stored products, in each way (lane_way_checks.inc).
#define LITTORAL_LANE_STEPS "lane_way_checks.inc"
#include "in_each_lane_way.inc"

struct PowerWay {
  ExpLanes way;
  void (*operationsOfLanes)(const double (&)[8], const double (&)[8], std::uint8_t, LaneResults&);
  void (*powersOfLanes)(const double (&)[8], double, double (&)[8], bool (&)[8]);
  bool (*storesSurely)(double, double, double, float&);
};
const PowerWay kPowerWays[] = {{ExpLanes::avx512, lane_steps_avx512::operationsOfLanes,
                                lane_steps_avx512::powersOfLanes, lane_steps_avx512::storesSurely},
                               {ExpLanes::avx2, lane_steps_avx2::operationsOfLanes,
                                lane_steps_avx2::powersOfLanes, lane_steps_avx2::storesSurely}};

// The same double, or both a NaN (whose payload may come from either operand).
bool same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

// Each operation of each way that runs here is the scalar operation in every lane, the masks a
// bit a lane from lane 0 up: pairs of zeros of both signs, subnormals, the ends of the singles
// and doubles, infinities, NaN and values between, in every lane position, with random masks.
TEST(LaneWays, EachOperationIsTheScalarOperationInEveryLane) {
  if (!runsStormLanes()) GTEST_SKIP() << "no vector lanes here";
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0.0,          -0.0,   1.0,   -1.5,     0x1p-1074, 1e-310,
                           3.4028235e38, 3.5e38, 1e300, -2.5e-8,  inf,       -inf,
                           std::nan(""), 0.1,    7.54,  1.0000001};
  std::mt19937 generator(11);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(values) - 1);
  for (const PowerWay& way : kPowerWays) {
    if (!runsExpLanes(way.way)) continue;
    for (int round = 0; round < 2000; ++round) {
      double a[8], b[8];
      for (int lane = 0; lane < 8; ++lane) {
        a[lane] = values[pick(generator)];
        b[lane] = values[pick(generator)];
      }
      const auto mask = std::uint8_t(generator());
      LaneResults got;
      way.operationsOfLanes(a, b, mask, got);
      for (int lane = 0; lane < 8; ++lane) {
        SCOPED_TRACE(testing::Message() << "way " << int(way.way) << ", lane " << lane << ": "
                                        << a[lane] << " and " << b[lane]);
        const double x = a[lane], y = b[lane];
        const bool set = (mask >> lane) & 1;
        const auto bit = [&](std::uint8_t bits) { return bool((bits >> lane) & 1); };
        EXPECT_TRUE(same(got.sum[lane], x + y));
        EXPECT_TRUE(same(got.difference[lane], x - y));
        EXPECT_TRUE(same(got.product[lane], x * y));
        EXPECT_TRUE(same(got.quotient[lane], x / y));
        EXPECT_TRUE(same(got.root[lane], std::sqrt(x)));
        EXPECT_TRUE(same(got.magnitude[lane], std::fabs(x)));
        EXPECT_TRUE(same(got.negated[lane], -x));
        EXPECT_TRUE(same(got.rounded[lane], double(float(x))));
        EXPECT_TRUE(same(got.stored[lane], double(float(x))));
        EXPECT_TRUE(same(got.widened[lane], double(float(x))));
        EXPECT_TRUE(same(got.selected[lane], set ? x : y));
        EXPECT_TRUE(same(got.dividedWhere[lane], set ? x / y : x));
        EXPECT_EQ(bit(got.greater), x > y);
        EXPECT_EQ(bit(got.greaterOrEqual), x >= y);
        EXPECT_EQ(bit(got.lessOrEqual), x <= y);
        EXPECT_EQ(bit(got.ordered), !std::isnan(x));
        EXPECT_EQ(bit(got.sameBits),
                  std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y));
      }
    }
  }
}

// Where the lanes' pow runs: on positive normal bases whose y ln x lies on exp's main path
// (with a little room at its ends, where the lanes' ln and the library's may fall either side;
// near one, where its head is tiny, as it falls), and on zeros for a positive exponent. Its
// value there is within 2^-51 of the library's, well inside kPowerLaneMargin. Bases over the
// whole range of doubles, near one, and at the edges.
TEST(PowerLanes, RunsWhereItShouldWithinTwoToTheMinus51OfTheLibrary) {
  if (!runsStormLanes()) GTEST_SKIP() << "no vector lanes here";
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> bases = {0.0,      -0.0, 0x1p-1074, 0x1p-1022, 0x1.fffffffffffffp-1023,
                               1.0,      -1.0, 0x1p-60,   1e-300,    1e300,
                               1.79e308, inf,  -inf,      nan,       std::nextafter(1.0, 2.0)};
  std::mt19937_64 generator(7);
  std::uniform_int_distribution<int> binade(-1022, 1023);
  std::uniform_real_distribution<double> mantissa(1, 2);
  std::uniform_real_distribution<double> nearOne(-0x1p-20, 0x1p-20);
  while (bases.size() < 3 * (1 << 16)) {
    bases.push_back(std::ldexp(mantissa(generator), binade(generator)));
    bases.push_back(1 + nearOne(generator));
    bases.push_back(std::bit_cast<double>(generator()));  // any bits: signs, NaNs, subnormals
  }
  for (const PowerWay& way : kPowerWays) {
    if (!runsExpLanes(way.way)) continue;
    for (const double exponent : kExponents) {
      SCOPED_TRACE(testing::Message() << "way " << int(way.way) << ", exponent " << exponent);
      int failures = 0;
      for (std::size_t first = 0; first + 8 <= bases.size() && failures < 10; first += 8) {
        double lanes[8], powers[8];
        bool main[8];
        for (int lane = 0; lane < 8; ++lane) lanes[lane] = bases[first + lane];
        way.powersOfLanes(lanes, exponent, powers, main);
        for (int lane = 0; lane < 8; ++lane) {
          const double base = lanes[lane];
          const double library = std::pow(base, exponent);
          const bool normal = std::isnormal(base) && base > 0;
          const double size = normal ? std::fabs(exponent * std::log(base)) : 0;
          const bool inside = normal && size > 0x1p-53 && size < 511;
          const bool outside = !normal || size > 513;
          const bool zero = base == 0 && exponent > 0;
          if (main[lane]
                  ? (std::fabs(powers[lane] - library) > 0x1p-51 * library) || (!zero && outside)
                  : inside || zero) {
            ADD_FAILURE() << std::hexfloat << "base " << base << ": " << powers[lane]
                          << (main[lane] ? " on" : " off") << " the main path, the library's "
                          << library;
            ++failures;
          }
        }
      }
    }
  }
}

// A product of the pow and a factor that lies within a few units of a double of the point
// halfway between two singles is left to the library; one that lies at a single stores it.
TEST(PowerLanes, AProductNearHalfwayBetweenTwoSinglesIsLeftToTheLibrary) {
  if (!runsStormLanes()) GTEST_SKIP() << "no vector lanes here";
  for (const PowerWay& way : kPowerWays) {
    if (!runsExpLanes(way.way)) continue;
    for (const double exponent : kExponents) {
      for (const double base : {1e-6, 0.37, 3.0, 537.0, 2.5e7}) {
        SCOPED_TRACE(testing::Message()
                     << "way " << int(way.way) << ", pow(" << base << ", " << exponent << ")");
        const double power = std::pow(base, exponent);
        const float single = float(power);
        const double halfway = (double(single) + double(std::nextafter(single, 2 * single))) / 2;
        float stored = 0;
        EXPECT_FALSE(way.storesSurely(base, exponent, halfway / power, stored));
        ASSERT_TRUE(way.storesSurely(base, exponent, double(single) / power, stored));
        EXPECT_EQ(stored, float(power * (double(single) / power)));
      }
    }
  }
}

#endif  // LITTORAL_EXP_LANES_X86

}  // namespace
}  // namespace littoral
