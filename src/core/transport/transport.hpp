#pragma once

#include <cstdint>

#include "case_state.hpp"
#include "numerics.hpp"

// The longshore transport: the storm's exposure in each height class, the transport
// coefficient, the energy-flux transport of each class and of the storm, and the surf current.

namespace littoral {

// The seconds of a 365-day year, in which a class's exposure is a percentage.
inline constexpr double kSecondsPerYear = 31536000;

// The Rayleigh exceedance of class bound i (0 to 4), as a single: the share of waves higher.
float classBoundExceedance(const CaseState& state, std::int32_t i);

// The Rayleigh share of waves between the bounds of class i (1 to 4), from the exceedances of
// its lower and upper bound, and its exposure in percent of a 365-day year, stored in
// classExposure. Returns the share.
float computeClassExposure(CaseState& state, std::int32_t i, float lowerExceedance,
                           float upperExceedance);

// The ratio of the transport expression in SI units to the same in US units:
// (1/3.28)^2.5 (1000/1.94) (9.81/32.2)^1.5; a constant, worked out once.
float computeSiRateFactor();

inline constexpr float kDefaultBeachSlope = 0.005f;

// The settling velocity as typed in cm/s, turned into ft/s or m/s.
void convertSettlingVelocity(CaseState& state);

// Twice the local angle, in degrees, as the transport formulas take it.
float doubleLocalAngle(const CaseState& state);

// The arguments of the transport's sines, from twice the local angle in degrees: half of it in
// radians (kpls's sin a), and all of it (the surf current's sin 2a).
double kplsAngle(float pi, float twoLocalAngle);
double radiansOfDegrees(float pi, float degrees);

// Transport coefficient 0.05 + 2.6 sin^2(a) + 0.0014 sqrt(g d / 2) / w, given sin(kplsAngle);
// reported only.
float computeKpls(const CaseState& state, const TrigValue& sine);

// The terms of the energy-flux transport formula that do not depend on the class.
struct FluxTerms {
  float fluxFactor;   // g^1.5 0.052 rho
  float cosAorRoot;   // cos(aor)^0.25
  float sinTwoAor;    // sin(2 aor)
  float sinTwoLocal;  // sin(2 local angle)
  float slopeTerm;    // 20.7 beach slope, of the surf current
};

// The terms, given sin(2 aor) and sin(radiansOfDegrees(pi, twice the local angle)).
FluxTerms computeFluxTerms(const CaseState& state, const TrigValue& sinTwoAor,
                           const TrigValue& sinTwoLocal);

// The transport of the storm, summed class by class.
struct StormTransport {
  float rate = 0;
  float currentSum = 0;
};

struct ClassTransport {
  float rate;
  float height;  // the geometric mean of the class bounds
  float flux;
};

// The transport of class i (1 to 4), added to the storm's.
ClassTransport computeClassTransport(const CaseState& state, const FluxTerms& terms, std::int32_t i,
                                     StormTransport& storm);

// The mean of the four class currents.
float computeSurfCurrent(const StormTransport& storm);

// The storm's transport; in SI units divided by the SI rate factor back to the US expression.
float computeStormTotal(const CaseState& state, const StormTransport& storm, float siRateFactor);

// The storm total, a volume in cubic yards, in cubic metres.
float convertToCubicMetres(float cubicYards);

// A class's transport of the storm in cubic metres: its rate, in SI units divided back to the
// US expression as the storm total is, is in cubic yards.
float classTransportInCubicMetres(const CaseState& state, float classRate, float siRateFactor);

}  // namespace littoral
