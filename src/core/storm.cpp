#include "storm.hpp"

#include "case_state.hpp"
#include "hindcast.hpp"
#include "math_error.hpp"
#include "numerics.hpp"
#include "transform.hpp"
#include "transport.hpp"

const std::array<const char*, kStormValueCount> kStormValueNames = {"density",
                                                                    "setup_ft",
                                                                    "setup_m",
                                                                    "ua",
                                                                    "fd",
                                                                    "ff",
                                                                    "ftd",
                                                                    "effective_fetch",
                                                                    "fhs",
                                                                    "fts",
                                                                    "hs",
                                                                    "ts",
                                                                    "ks",
                                                                    "lo",
                                                                    "co",
                                                                    "l1",
                                                                    "c1",
                                                                    "surf_depth",
                                                                    "s1",
                                                                    "so",
                                                                    "aor",
                                                                    "deep_angle",
                                                                    "kr",
                                                                    "deep_height",
                                                                    "local_angle",
                                                                    "local_length",
                                                                    "local_height",
                                                                    "local_celerity",
                                                                    "group_ratio",
                                                                    "ks_local",
                                                                    "kr_local",
                                                                    "breaking_height",
                                                                    "offshore_hrms",
                                                                    "offshore_hs",
                                                                    "offshore_h10",
                                                                    "offshore_h1",
                                                                    "local_hrms",
                                                                    "local_hs",
                                                                    "local_h10",
                                                                    "local_h1",
                                                                    "hnso",
                                                                    "class_share_1",
                                                                    "class_share_2",
                                                                    "class_share_3",
                                                                    "class_share_4",
                                                                    "kpls",
                                                                    "class_exposure_1",
                                                                    "class_exposure_2",
                                                                    "class_exposure_3",
                                                                    "class_exposure_4",
                                                                    "class_rate_1",
                                                                    "class_rate_2",
                                                                    "class_rate_3",
                                                                    "class_rate_4",
                                                                    "class_height_1",
                                                                    "class_height_2",
                                                                    "class_height_3",
                                                                    "class_height_4",
                                                                    "class_flux_1",
                                                                    "class_flux_2",
                                                                    "class_flux_3",
                                                                    "class_flux_4",
                                                                    "surf_current",
                                                                    "storm_transport",
                                                                    "storm_transport_m3"};

const char* unitsName(UnitSystem units) {
  switch (units) {
    case UnitSystem::us:
      return "US";
    case UnitSystem::si:
      return "SI";
    case UnitSystem::none:
      break;
  }
  return "none";
}

const char* limitName(GrowthLimit limit) {
  switch (limit) {
    case GrowthLimit::fetch:
      return "fetch";
    case GrowthLimit::duration:
      return "duration";
    case GrowthLimit::none:
      break;
  }
  return "";
}

namespace {

// The value of class i (1 to 4) in the run of four that starts with class 1's.
StormValue ofClass(StormValue classOne, std::int32_t i) {
  return static_cast<StormValue>(static_cast<std::size_t>(classOne) + std::size_t(i - 1));
}

void hindcast(const StormAnswers& answers, CaseState& state, StormValues& values) {
  state.g = answers.g;
  chooseUnitSystem(state);
  if (state.usUnits) values.units = UnitSystem::us;
  if (state.siUnits) values.units = UnitSystem::si;
  values.set(StormValue::density, state.rho);
  state.depth = answers.depth;
  state.unitChoice = answers.fetchUnit;
  chooseFetchUnit(state);
  state.fetch = answers.fetch;
  convertFetch(state);
  state.unitChoice = answers.speedUnit;
  chooseSpeedUnit(state);
  state.windSpeed = answers.windSpeed;
  convertWindSpeed(state);
  state.duration = answers.durationHours;
  state.rt = answers.rt;
  state.rl = answers.rl;
  convertForSetup(state);

  const WindSetup setup = computeWindSetup(state);
  values.set(StormValue::setupFeet, setup.feet);
  values.set(StormValue::setupMeters, setup.meters);
  convertDurationToSeconds(state);
  adjustWindSpeed(state);
  values.set(StormValue::ua, state.ua);

  WaveGrowth growth = startWaveGrowth(state);
  bool anotherPass = true;
  while (anotherPass) {
    beginGrowthPass(state, growth);
    values.passes = growth.passes;
    values.set(StormValue::Fd, growth.terms.Fd);
    values.set(StormValue::FF, growth.FF);
    values.set(StormValue::Ftd, growth.terms.Ftd);
    anotherPass = endGrowthPass(state, growth);
  }
  values.limitedBy = growthLimit(state, growth);
  values.set(StormValue::effectiveFetch, state.fetch);
  values.set(StormValue::FHs, growth.FHs);
  values.set(StormValue::FTs, growth.FTs);
  values.set(StormValue::hs, state.hs);
  values.set(StormValue::ts, state.ts);
}

void transform(const StormAnswers& answers, CaseState& state, StormValues& values) {
  computeOffshoreWaveLength(state);
  values.set(StormValue::ks, state.ks);
  const OffshoreWave wave = capOffshoreWave(state);
  values.set(StormValue::lo, state.lo);
  values.set(StormValue::co, state.co);
  values.set(StormValue::l1, state.l1);
  values.set(StormValue::c1, state.c1);
  values.set(StormValue::surfDepth, wave.surfDepth);

  state.depth = answers.localDepth;
  setLocalDepth(state);
  state.alpha = answers.angleDegrees;
  const OffshoreAngle angle = refractOffshoreAngle(state);
  values.set(StormValue::s1, angle.s1);
  values.set(StormValue::so, state.so);
  const float deepAngle = computeDeepAngle(state);
  values.set(StormValue::aor, state.aor);
  values.set(StormValue::deepAngle, deepAngle);
  computeDeepHeight(state, angle, wave);
  values.set(StormValue::kr, state.kr);
  values.set(StormValue::deepHeight, state.deepHeight);

  computeLocalWaveLength(state);
  const float localAngle = computeLocalAngle(state);
  values.set(StormValue::localAngle, state.localAngleDegrees);
  const float krLocal = computeLocalHeight(state, localAngle);
  values.set(StormValue::localLength, state.localLength);
  values.set(StormValue::localHeight, state.localHeight);
  values.set(StormValue::localCelerity, state.localCelerity);
  values.set(StormValue::groupRatio, state.groupRatio);
  values.set(StormValue::ksLocal, state.ksLocal);
  values.set(StormValue::krLocal, krLocal);
  values.set(StormValue::breakingHeight, state.breakLimitHeight);

  const HeightStatistics statistics = computeHeightStatistics(state);
  values.set(StormValue::offshoreHrms, statistics.offshore.hrms);
  values.set(StormValue::offshoreHs, statistics.offshore.hs);
  values.set(StormValue::offshoreH10, statistics.offshore.h10);
  values.set(StormValue::offshoreH1, statistics.offshore.h1);
  values.set(StormValue::localHrms, statistics.local.hrms);
  values.set(StormValue::localHs, statistics.local.hs);
  values.set(StormValue::localH10, statistics.local.h10);
  values.set(StormValue::localH1, statistics.local.h1);
  values.set(StormValue::hnso, state.hnso);
}

void transport(const StormAnswers& answers, CaseState& state, StormValues& values) {
  for (std::int32_t i = 1; i <= 4; ++i) {
    const float share = computeClassExposure(state, i);
    values.set(ofClass(StormValue::classShare1, i), share);
    values.set(ofClass(StormValue::classExposure1, i), state.classExposure[std::size_t(i - 1)]);
  }
  const float siRateFactor = computeSiRateFactor();
  state.beachSlope = answers.beachSlope.value_or(kDefaultBeachSlope);
  state.settlingVelocity = answers.settlingVelocity.value_or(0.0f);
  convertSettlingVelocity(state);
  const float twoLocalAngle = doubleLocalAngle(state);
  values.set(StormValue::kpls, computeKpls(state, twoLocalAngle));

  StormTransport storm;
  const FluxTerms terms = computeFluxTerms(state, twoLocalAngle);
  for (std::int32_t i = 1; i <= 4; ++i) {
    const ClassTransport transport = computeClassTransport(state, terms, i, storm);
    values.set(ofClass(StormValue::classRate1, i), transport.rate);
    values.set(ofClass(StormValue::classHeight1, i), transport.height);
    values.set(ofClass(StormValue::classFlux1, i), transport.flux);
  }
  values.set(StormValue::surfCurrent, computeSurfCurrent(storm));
  const float stormTotal = computeStormTotal(state, storm, siRateFactor);
  values.set(StormValue::stormTransport, stormTotal);
  values.set(StormValue::stormTransportM3, convertToCubicMetres(stormTotal));
}

}  // namespace

StormValues runStorm(const StormAnswers& answers) {
  StormValues values;
  CaseState state;
  try {
    setNumericEnvironment();
    state.pi = computePi();
    hindcast(answers, state, values);
    transform(answers, state, values);
    if (answers.settlingVelocity) transport(answers, state, values);
  } catch (const MathError& error) {
    values.error = error.message;
  }
  return values;
}
