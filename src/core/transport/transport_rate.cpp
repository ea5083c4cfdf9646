#include "littoral/storm.hpp"
#include "numerics.hpp"
#include "transport.hpp"

namespace littoral {
namespace {}  // namespace

float computeSiRateFactor() {
  static const float factor = [] {
    const float densityTerm = toSingle(double(515.4639f) * realPower(double(0.30465838f), 1.5));
    return toSingle(realPower(double(0.30487806f), 2.5) * double(densityTerm));
  }();
  return factor;
}

void convertSettlingVelocity(CaseState& state) {
  if (state.usUnits) {
    state.settlingVelocity = toSingle(double(state.settlingVelocity) / double(30.48f));
  }
  if (state.siUnits) state.settlingVelocity = toSingle(double(state.settlingVelocity) / 100);
}

float doubleLocalAngle(const CaseState& state) {
  return toSingle(2 * double(state.localAngleDegrees));
}

double kplsAngle(float pi, float twoLocalAngle) {
  return 0.5 * double(twoLocalAngle) * double(pi) / 180;
}

double radiansOfDegrees(float pi, float degrees) { return double(pi) * double(degrees) / 180; }

float computeKpls(const CaseState& state, const TrigValue& sine) {
  const float first = storeTrig(
      sine, [](double sinA) { return toSingle(double(0.05f) + double(2.6f) * (sinA * sinA)); });
  return toSingle(double(0.0014f) * checkedSqrt(double(state.depth) * double(state.g) * 0.5) /
                      double(state.settlingVelocity) +
                  double(first));
}

FluxTerms computeFluxTerms(const CaseState& state, const TrigValue& sinTwoAor,
                           const TrigValue& sinTwoLocal) {
  FluxTerms terms{};
  const float densityTerm = toSingle(double(0.052f) * double(state.rho));
  terms.fluxFactor = storeRootPower(state.g, RootPower::threeHalves, [&](double power) {
    return toSingle(power * double(densityTerm));
  });
  terms.cosAorRoot = storeRootPower(state.cosAor, RootPower::quarter, toSingle);
  terms.sinTwoAor = storeTrig(sinTwoAor, toSingle);
  terms.sinTwoLocal = storeTrig(sinTwoLocal, toSingle);
  terms.slopeTerm = toSingle(double(state.beachSlope) * double(20.7f));
  return terms;
}

ClassTransport computeClassTransport(const CaseState& state, const FluxTerms& terms, std::int32_t i,
                                     StormTransport& storm) {
  const auto lower = static_cast<std::size_t>(i - 1);
  ClassTransport result{};
  result.height =
      toSingle(checkedSqrt(double(state.classHeight[lower]) * double(state.classHeight[i])));
  result.flux = storeRootPower(result.height, RootPower::twoAndAHalf, [&](double power) {
    return toSingle(power * double(terms.fluxFactor) * double(terms.cosAorRoot) *
                    double(terms.sinTwoAor));
  });
  // Longshore current 20.7 m sqrt(g H) sin(2 a) of the class.
  const double classCurrent = checkedSqrt(double(result.height) * double(state.g)) *
                              double(terms.slopeTerm) * double(terms.sinTwoLocal);
  storm.currentSum = toSingle(classCurrent + double(storm.currentSum));
  result.rate = toSingle(double(result.flux) * 7500 * double(state.classExposure[lower]) / 100);
  storm.rate = toSingle(double(storm.rate) + double(result.rate));
  return result;
}

float computeSurfCurrent(const StormTransport& storm) {
  return toSingle(0.25 * double(storm.currentSum));
}

float computeStormTotal(const CaseState& state, const StormTransport& storm, float siRateFactor) {
  if (state.siUnits) return toSingle(double(storm.rate) / double(siRateFactor));
  return storm.rate;
}

float convertToCubicMetres(float cubicYards) {
  return toSingle(double(cubicYards) * kCubicMetresPerCubicYard);
}

float classTransportInCubicMetres(const CaseState& state, float classRate, float siRateFactor) {
  const double cubicYards =
      state.siUnits ? double(classRate) / double(siRateFactor) : double(classRate);
  return toSingle(cubicYards * kCubicMetresPerCubicYard);
}

}  // namespace littoral
