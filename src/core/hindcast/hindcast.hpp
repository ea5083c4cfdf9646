#pragma once

#include <cstdint>
#include <optional>

#include "case_state.hpp"
#include "littoral/storm.hpp"

// The wind-wave hindcast: unit conversion of the site and wind inputs, the wind setup, the
// adjusted wind speed and the shallow-water growth of the significant wave.

namespace littoral {

// The unit system that gravity chooses (above 30 US, below 30 SI, neither at 30) and the
// water density of that system: 1.94 slug/ft3 or 1000 kg/m3.
void chooseUnitSystem(CaseState& state);

// The factor of the menu answer unitChoice from the fetch or speed unit to the run's length
// unit; an answer outside 1 to 5, or no unit system, leaves the factor as it was.
void chooseFetchUnit(CaseState& state);
void chooseSpeedUnit(CaseState& state);

// The fetch and the wind speed as typed, times their unit factors.
void convertFetch(CaseState& state);
void convertWindSpeed(CaseState& state);

// The wind speed in mph with 0.3048 m to the foot, shown to a run that is not in US units.
float windSpeedMph(const CaseState& state);

// The setup formula's inputs: the wind in mph, the fetch in miles and the depth in feet.
void convertForSetup(CaseState& state);

struct WindSetup {
  float feet;
  float meters;
};

// Wind setup (rt rl V)^2 F / (1400 d), with V in mph, F in miles and d in feet.
WindSetup computeWindSetup(const CaseState& state);

// The duration as typed in hours, turned into seconds.
void convertDurationToSeconds(CaseState& state);

// Wind-stress adjusted speed ua: 0.589 U^1.23 with U in mph, or 0.71 U^1.23 with U in m/s.
void adjustWindSpeed(CaseState& state);

// The terms of the growth laws that depend on depth and duration only.
struct StormTerms {
  float Fd;               // non-dimensional depth g d / ua^2
  float Ftd;              // non-dimensional duration g t / ua
  float heightDepthTerm;  // 0.53 Fd^0.75
  float periodDepthTerm;  // 0.833 Fd^0.375
  float durationPeriod;   // the period the duration allows: Ftd = 537 (g T / ua)^(7/3)
};

// The growth loop between its passes. Each pass shortens the fetch by 2 % (the first keeps it)
// while the storm is too short for the waves that the fetch allows.
struct WaveGrowth {
  StormTerms terms;
  float initialFetch;
  float fetchStep = 1.0f;
  float passFetch = 0;  // the fetch before the latest pass shortened it
  std::int32_t passes = 0;
  float FF = 0;               // non-dimensional fetch g F / ua^2 of the latest pass
  float heightDepthTanh = 0;  // tanh(0.53 Fd^0.75)
  float periodDepthTanh = 0;  // tanh(0.833 Fd^0.375)
  float FHs = 0;
  float FTs = 0;
  std::optional<float> knownFTs;  // the last pass's FTs, where its search worked it out
};

WaveGrowth startWaveGrowth(const CaseState& state);

// The first half of a pass: the pass's fetch and FF.
void beginGrowthPass(CaseState& state, WaveGrowth& growth);

// The second half: FHs, FTs, hs and ts by the growth laws. Returns true when another pass is
// needed.
bool endGrowthPass(CaseState& state, WaveGrowth& growth);

// The library's powers of the growth laws: (Ftd / 537)^(3/7), the duration law solved for the
// period, and FF^(1/3), the fetch's term of the period law. The growth lanes take the same
// powers from these constants.
inline constexpr double kDurationLawDivisor = 537;
inline constexpr double kDurationLawExponent = double(0.42857143f);
inline constexpr double kPeriodFetchExponent = double(0.33333334f);
double durationLawPower(float Ftd);
double periodFetchPower(float FF);

// The pass at which the growth loop would end after a first pass that asked for another,
// estimated from the period law solved for the fetch whose period is the duration's; 2 where
// that cannot be worked out.
std::int32_t estimateLastGrowthPass(const CaseState& state, const WaveGrowth& growth);

// After a first pass that asked for another, finds the pass at which the loop ends without
// running the passes in between, and begins it: the state and the growth are as the loop
// leaves them at the start of its last pass, for endGrowthPass to finish it.
void beginLastGrowthPass(CaseState& state, WaveGrowth& growth);

// Whether the passes shortened the fetch (duration limited) or kept it (fetch limited).
GrowthLimit growthLimit(const CaseState& state, const WaveGrowth& growth);

}  // namespace littoral
