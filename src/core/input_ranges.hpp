#pragma once

#include <array>

#include "case_state.hpp"
#include "littoral/storm.hpp"

// The ranges of the inputs that the method was built for. Outside them a storm is computed all
// the same, with a warning.

namespace littoral {

// A range in SI units (metres, m/s, hours, cm/s), the ends included.
struct InputRange {
  Warning warning;
  double low;
  double high;
};

inline constexpr std::array<InputRange, 8> kInputRanges = {{
    {Warning::windSpeedOutOfRange, 1, 50},           // m/s, the wind as converted
    {Warning::fetchOutOfRange, 100, 1000000},        // m
    {Warning::durationOutOfRange, 0.1, 100},         // hours
    {Warning::depthOutOfRange, 1, 500},              // m, the offshore depth
    {Warning::rtOutOfRange, 0.5, 1.5},               // stability factor
    {Warning::rlOutOfRange, 0.5, 2},                 // sea/land factor
    {Warning::beachSlopeOutOfRange, 0.001, 0.2},     // rise over run
    {Warning::settlingVelocityOutOfRange, 0.1, 30},  // cm/s
}};

// The range of an input's warning.
constexpr const InputRange& inputRange(Warning warning) {
  for (const InputRange& range : kInputRanges) {
    if (range.warning == warning) return range;
  }
  return kInputRanges[0];
}

// Warns of the hindcast's inputs outside their ranges: the converted wind speed, fetch and
// offshore depth (a US length is taken as 3.28 ft to the metre), the duration in hours as
// typed, rt and rl.
void checkHindcastInputs(const CaseState& state, StormValues& values);

// Warns of the transport's inputs outside their ranges: the beach slope and the settling
// velocity in cm/s as typed.
void checkTransportInputs(const CaseState& state, StormValues& values);

}  // namespace littoral
