#include "console_input.hpp"
#include "numerics.hpp"
#include "pause.hpp"
#include "records.hpp"
#include "transport.hpp"

namespace {

// The terms of the energy-flux transport formula that do not depend on the class.
struct FluxTerms {
  float fluxFactor;   // g^1.5 0.052 rho
  float cosAorRoot;   // cos(aor)^0.25
  float sinTwoAor;    // sin(2 aor)
  float sinTwoLocal;  // sin(2 local angle)
  float slopeTerm;    // 20.7 beach slope, of the surf current
};

// The ratio of the transport expression in SI units to the same in US units:
// (1/3.28)^2.5 (1000/1.94) (9.81/32.2)^1.5.
float computeSiRateFactor() {
  const float densityTerm = toSingle(double(515.4639f) * realPower(double(0.30465838f), 1.5));
  return toSingle(realPower(double(0.30487806f), 2.5) * double(densityTerm));
}

void readBeachInputs(CaseState& state, RunIo& io) {
  state.beachSlope = 0.005f;
  writeRecord(io.console, {"slope of beach ="});
  readValue(io, state.beachSlope);
  writeRecord(io.console, {"settling velocity for beach material (cm/s) ="});
  readValue(io, state.settlingVelocity);
  if (state.usUnits) {
    state.settlingVelocity = toSingle(double(state.settlingVelocity) / double(30.48f));
  }
  if (state.siUnits) state.settlingVelocity = toSingle(double(state.settlingVelocity) / 100);
}

// Transport coefficient 0.05 + 2.6 sin^2(a) + 0.0014 sqrt(g d / 2) / w; reported only.
float computeKpls(const CaseState& state, float twoLocalAngle) {
  const double sine = checkedSin(0.5 * double(twoLocalAngle) * double(state.pi) / 180);
  const float first = toSingle(double(0.05f) + double(2.6f) * (sine * sine));
  return toSingle(double(0.0014f) * checkedSqrt(double(state.depth) * double(state.g) * 0.5) /
                      double(state.settlingVelocity) +
                  double(first));
}

FluxTerms computeFluxTerms(const CaseState& state, float twoLocalAngle) {
  FluxTerms terms{};
  const float densityTerm = toSingle(double(0.052f) * double(state.rho));
  terms.fluxFactor = toSingle(realPower(double(state.g), 1.5) * double(densityTerm));
  terms.cosAorRoot = toSingle(realPower(double(state.cosAor), 0.25));
  terms.sinTwoAor = toSingle(checkedSin(2 * double(state.aor)));
  terms.sinTwoLocal = toSingle(checkedSin(double(state.pi) * double(twoLocalAngle) / 180));
  terms.slopeTerm = toSingle(double(state.beachSlope) * double(20.7f));
  return terms;
}

}  // namespace

void computeTransport(CaseState& state, RunIo& io) {
  openResultsFile(io);
  const float siRateFactor = computeSiRateFactor();
  writeRecord(io.console, {siRateFactor});
  pause(io);
  readBeachInputs(state, io);
  const float twoLocalAngle = toSingle(2 * double(state.localAngleDegrees));
  writeRecord(io.console, {"Kpls, rho =", computeKpls(state, twoLocalAngle), state.rho});

  float stormRate = 0;
  float currentSum = 0;
  const FluxTerms terms = computeFluxTerms(state, twoLocalAngle);
  for (std::int32_t i = 1; i <= 4; ++i) {
    const auto lower = static_cast<std::size_t>(i - 1);
    // The class is represented by the geometric mean of its bounds.
    const float hClass =
        toSingle(checkedSqrt(double(state.classHeight[lower]) * double(state.classHeight[i])));
    const float classFlux = toSingle(realPower(double(hClass), 2.5) * double(terms.fluxFactor) *
                                     double(terms.cosAorRoot) * double(terms.sinTwoAor));
    // Longshore current 20.7 m sqrt(g H) sin(2 a) of the class.
    const double classCurrent = checkedSqrt(double(hClass) * double(state.g)) *
                                double(terms.slopeTerm) * double(terms.sinTwoLocal);
    currentSum = toSingle(classCurrent + double(currentSum));
    const float classRate =
        toSingle(double(classFlux) * 7500 * double(state.classExposure[lower]) / 100);
    stormRate = toSingle(double(stormRate) + double(classRate));
    writeRecord(io.console, {i, state.classExposure[lower], classRate, hClass, classFlux});
  }
  writeRecord(io.console, {"****************"});
  writeRecord(io.console, {"****************"});

  const float surfCurrent = toSingle(0.25 * double(currentSum));
  writeRecord(io.results, {"MAXIMUM SURF CURRENT ft/sec or m/s = ", surfCurrent});
  if (state.siUnits) stormRate = toSingle(double(stormRate) / double(siRateFactor));
  writeRecord(io.console, {"Surf Current ft/sec or m/s =", surfCurrent});
  writeRecord(io.console, {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", stormRate});
  writeRecord(io.results, {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", stormRate});
  pause(io);
}
