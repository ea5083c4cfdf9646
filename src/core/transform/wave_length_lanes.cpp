#include "wave_length_lanes.hpp"

#include <bit>
#include <cmath>

#include "exp_kernels.hpp"
#include "lane_ways.hpp"
#include "numerics.hpp"
#include "single_lanes.hpp"

namespace littoral {
namespace {

constexpr double kSmallestKd = 0x1p-54;  // exp's main path starts here
constexpr double kLargestKd = 354;       // twice this is within kSafeExpArgument

RoundLanes passRoundScalar(PassRound& round) {
  RoundLanes lanes;
  for (std::size_t lane = 0; lane < PassRound::kWidth; ++lane) {
    const double start = double(round.startLength[lane]);
    float kd = toSingle(double(round.twoPiDepth[lane]) / start);
    limitTo(kd, round.twoPi[lane]);
    const double size = std::fabs(double(kd));
    if (!(size >= kSmallestKd && size <= kLargestKd)) continue;
    lanes.computed |= 1u << lane;
    const double tanhKd = tanhFromExps(std::exp(double(kd)), std::exp(-double(kd)));
    double lengthTerm = double(round.lo[lane]) * tanhKd;
    if ((round.localUse >> lane) & 1) lengthTerm = double(toSingle(lengthTerm));
    round.tanhKd[lane] = tanhKd;
    round.lengthTerm[lane] = lengthTerm;
    round.endLength[lane] = toSingle((start + lengthTerm) * 0.5);
    const bool last = ++round.passes[lane] == kWaveLengthPasses ||
                      std::bit_cast<std::uint32_t>(round.endLength[lane]) ==
                          std::bit_cast<std::uint32_t>(round.startLength[lane]);
    if (last) {
      lanes.ended |= 1u << lane;
    } else {
      round.startLength[lane] = round.endLength[lane];
    }
  }
  return lanes;
}

#ifdef LITTORAL_EXP_LANES_X86

// Counts the pass of the computed lanes among the four from `first` and moves on those whose
// pass was not the last; returns those whose pass was, a bit each.
LITTORAL_AVX2 inline std::uint32_t moveFourLanesOn(PassRound& round, std::size_t first,
                                                   std::uint32_t computed, __m128 endLength) {
  const __m128i laneBits = _mm_set_epi32(8, 4, 2, 1);
  const __m128i counted =
      _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(std::int32_t(computed)), laneBits), laneBits);
  auto* passesAt = reinterpret_cast<__m128i*>(&round.passes[first]);
  const __m128i passes = _mm_sub_epi32(_mm_load_si128(passesAt), counted);
  _mm_store_si128(passesAt, passes);
  const __m128 start = _mm_load_ps(&round.startLength[first]);
  const __m128i fixed = _mm_cmpeq_epi32(_mm_castps_si128(endLength), _mm_castps_si128(start));
  const __m128i last =
      _mm_or_si128(fixed, _mm_cmpeq_epi32(passes, _mm_set1_epi32(kWaveLengthPasses)));
  const __m128i ended = _mm_and_si128(counted, last);
  const __m128i onward = _mm_andnot_si128(last, counted);
  _mm_store_ps(&round.startLength[first],
               _mm_blendv_ps(start, endLength, _mm_castsi128_ps(onward)));
  return std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(ended)));
}

// moveFourLanesOn of the eight lanes from `first`, from the end lengths the pass stored.
LITTORAL_AVX2 inline std::uint32_t moveLanesOn(PassRound& round, std::size_t first,
                                               std::uint32_t computed) {
  const std::uint32_t low =
      moveFourLanesOn(round, first, computed & 0xf, _mm_load_ps(&round.endLength[first]));
  const std::uint32_t high =
      moveFourLanesOn(round, first + 4, computed >> 4, _mm_load_ps(&round.endLength[first + 4]));
  return low | (high << 4);
}

// The round in each lane way.
#define LITTORAL_LANE_STEPS "wave_length_lane_steps.inc"
#include "in_each_lane_way.inc"

#endif  // LITTORAL_EXP_LANES_X86

}  // namespace

PassRoundKernel passRoundKernel(ExpLanes way) {
  switch (way) {
#ifdef LITTORAL_EXP_LANES_X86
    case ExpLanes::avx512:
      return lane_steps_avx512::passRoundOfLanes;
    case ExpLanes::avx2:
      return lane_steps_avx2::passRoundOfLanes;
#endif
    default:
      return passRoundScalar;
  }
}

}  // namespace littoral
