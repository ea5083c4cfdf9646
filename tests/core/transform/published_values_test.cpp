#include <cmath>

#include <gtest/gtest.h>

#include "numerics.hpp"
#include "transform.hpp"

namespace littoral {
namespace {

// The wave length and celerity that the program finds for a period and a depth, by the same
// iteration it runs at the local depth.
struct LinearWave {
  float length;
  float celerity;
};

// The value, rounded to the published digits, is the published figure or next to it.
void expectWithinOneLastDigit(double value, double published, double lastDigit) {
  EXPECT_LE(std::fabs(std::round(value / lastDigit) - std::round(published / lastDigit)), 1.0)
      << value << " against the published " << published;
}

LinearWave solveLinearWave(float period, float depth) {
  CaseState state;
  state.pi = computePi();
  state.g = 9.81f;
  state.ts = period;
  state.depth = depth;
  computeOffshoreWaveLength(state);
  state.twoPiDepth = toSingle(double(state.depth) * double(state.twoPi));
  computeLocalWaveLength(state);
  return {state.localLength, state.localCelerity};
}

// Published figures of linear (Airy) wave theory, from the dispersion relation
// L = g T^2 / (2 pi) tanh(2 pi d / L): U.S. Army Corps of Engineers, Coastal Engineering Manual,
// EM 1110-2-1100, Part II, Chapter 1 (linear wave theory). Each must agree to within one unit
// of its last published digit.
TEST(PublishedValues, LinearWaveLengthAndCelerity) {
  struct Published {
    float period;
    float depth;
    double length;  // 0 where only the celerity is published
    double lengthDigit;
    double celerity;  // 0 where only the length is published
    double celerityDigit;
  };
  const Published cases[] = {
      {10, 3, 53.2, 0.1, 5.32, 0.01},
      {13, 20, 167.6, 0.1, 12.89, 0.01},
      {10, 15, 109.1, 0.1, 0, 0},
      {12, 3, 0, 0, 5.348, 0.001},
  };
  for (const Published& c : cases) {
    SCOPED_TRACE(::testing::Message() << "T = " << c.period << " s, d = " << c.depth << " m");
    const LinearWave wave = solveLinearWave(c.period, c.depth);
    if (c.length > 0) {
      expectWithinOneLastDigit(wave.length, c.length, c.lengthDigit);
    }
    if (c.celerity > 0) {
      expectWithinOneLastDigit(wave.celerity, c.celerity, c.celerityDigit);
    }
  }
}

// The Rayleigh distribution of wave heights, P(H > h) = exp(-(h / Hrms)^2), with the published
// example of Hrms = 2.66 m (Coastal Engineering Manual, EM 1110-2-1100, Part II, Chapter 1,
// irregular waves): 0.029 for a 5 m wave, and exp(-1) = 0.368 at Hrms itself.
TEST(PublishedValues, RayleighExceedance) {
  expectWithinOneLastDigit(exceedance(5.0f, 2.66f), 0.029, 0.001);
  expectWithinOneLastDigit(exceedance(2.66f, 2.66f), 0.368, 0.001);
}

}  // namespace

}  // namespace littoral
