#include "exp_lanes.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace littoral {
namespace {

// The ways this processor runs, the scalar one included.
std::vector<ExpLanes> waysHere() {
  std::vector<ExpLanes> ways;
  for (const ExpLanes way : {ExpLanes::scalar, ExpLanes::avx2, ExpLanes::avx512}) {
    if (runsExpLanes(way)) ways.push_back(way);
  }
  return ways;
}

bool sameResult(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

// Checks every way on the arguments, in one call of the whole count and in pieces of 13;
// returns the count of arguments where a way differs from std::exp, and the count that the
// widest way left to std::exp.
struct Check {
  std::size_t differences = 0;
  std::size_t leftByWidest = 0;
};
Check check(const std::vector<double>& arguments) {
  Check result;
  std::vector<double> results(arguments.size());
  for (const ExpLanes way : waysHere()) {
    for (const std::size_t piece : {arguments.size(), std::size_t{13}}) {
      std::size_t left = 0;
      for (std::size_t first = 0; first < arguments.size(); first += piece) {
        const std::size_t count = std::min(piece, arguments.size() - first);
        left += expEach(way, arguments.data() + first, results.data() + first, count);
      }
      if (way == waysHere().back()) result.leftByWidest = left;
      for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (!sameResult(results[i], std::exp(arguments[i]))) {
          ADD_FAILURE() << "way " << int(way) << " at " << std::hexfloat << arguments[i];
          if (++result.differences > 10) return result;
        }
      }
    }
  }
  for (const double argument : arguments) {  // and the one-argument way the stages call
    if (!sameResult(expOf(argument), std::exp(argument))) {
      ADD_FAILURE() << "expOf at " << std::hexfloat << argument;
      if (++result.differences > 10) return result;
    }
  }
  return result;
}

// The processor's widest way passes its own check against the library and is the one taken.
// So do the lane's steps on one argument, which expOf then takes.
TEST(ExpLanes, TheWidestWayHereIsTheBest) {
  EXPECT_EQ(bestExpLanes(), waysHere().back());
  EXPECT_EQ(expOfTakesLaneSteps(), bestExpLanes() != ExpLanes::scalar);
}

// The ends of the vector ways' main path, the library's own cases beyond it (zero, tiny,
// subnormal, overflowing and underflowing arguments, infinities, NaN) and a result that is
// subnormal.
TEST(ExpLanes, EdgeArgumentsGiveTheLibrarysBits) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> arguments;
  // clang-format off
  const double sizes[] = {0.0, 0x1p-1074, 0x1p-1022, 0x1p-55, 0x1p-54, 0x1p-53, 1e-10, 0.5, 1.0,
                          2.0, 4 * 3.1415927410125732, 88.72, 100.0, 511.0, 512.0, 700.0,
                          709.782712893384, 709.7827128933841, 710.0, 745.1332191019411,
                          745.13321910194122, 1000.0, 1e300, inf};
  // clang-format on
  for (const double size : sizes) {
    for (const double near : {std::nextafter(size, 0.0), size, std::nextafter(size, inf)}) {
      arguments.push_back(near);
      arguments.push_back(-near);
    }
  }
  arguments.push_back(std::numeric_limits<double>::quiet_NaN());
  arguments.push_back(-std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(check(arguments).differences, 0u);
}

// Arguments spread over the whole range that exp takes, and every 64th single from 2^-20 to
// 4 pi, where the program's arguments lie (kd, 2kd, the growth laws' tanh arguments): the
// vector ways compute all but those beyond their main path themselves.
TEST(ExpLanes, ArgumentsOverTheWholeRangeGiveTheLibrarysBits) {
  std::mt19937_64 generator(42);
  std::uniform_real_distribution<double> wide(-746, 710);
  std::uniform_real_distribution<double> narrow(-4, 4);
  std::vector<double> arguments;
  std::size_t beyondMainPath = 0;
  for (int i = 0; i < 1 << 19; ++i) {
    arguments.push_back(wide(generator));
    arguments.push_back(narrow(generator));
    beyondMainPath += std::fabs(arguments[arguments.size() - 2]) >= 512;
  }
  const std::uint32_t last = std::bit_cast<std::uint32_t>(12.566371f);
  for (std::uint32_t bits = std::bit_cast<std::uint32_t>(0x1p-20f); bits <= last; bits += 64) {
    const double single = double(std::bit_cast<float>(bits));
    arguments.push_back(single);
    arguments.push_back(-single);
  }
  const Check result = check(arguments);
  EXPECT_EQ(result.differences, 0u);
  const std::size_t computedByLibrary = waysHere().size() == 1 ? arguments.size() : beyondMainPath;
  EXPECT_EQ(result.leftByWidest, computedByLibrary);
}

}  // namespace
}  // namespace littoral
