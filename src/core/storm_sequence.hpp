#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>
#include <utility>

#include "case_state.hpp"
#include "hindcast.hpp"
#include "input_ranges.hpp"
#include "littoral/storm.hpp"
#include "math_error.hpp"
#include "numerics.hpp"
#include "transform.hpp"
#include "transport.hpp"

// The stages of one storm, in the order of the run, written once for every front end. The
// stages ask their front end for each answer where the dialogue asks for it, and tell it each
// step they reach with the values computed so far; the console dialogue prompts, reads and
// writes its records there, a storm table row only answers and keeps the values. A math error
// of a stage (MathError) unwinds through the front end, which has shown every step before it.

namespace littoral {

// The questions of the run, in the order they are asked.
enum class Question {
  gravity,
  offshoreDepth,
  fetchUnit,  // integer menu answer
  fetch,
  speedUnit,  // integer menu answer
  windSpeed,
  durationHours,
  stabilityFactor,
  seaLandFactor,
  localDepth,
  angleDegrees,
  continueAnswer,  // integer: 1 goes on to the transport
  beachSlope,      // no answer keeps 0.005
  settlingVelocity,
};

// The steps a front end is told of, in the order they are reached. Each follows the
// computation whose values it shows.
enum class Step {
  inputsBegin,       // the run's inputs are about to be asked for
  unitSystem,        // gravity chose the unit system and the density
  fetchConverted,    // the fetch in the run's length unit
  speedConverted,    // the wind speed in the run's speed unit, and speedMph
  windSetup,         // setupFeet, setupMeters
  adjustedSpeed,     // ua
  growthPass,        // Fd, FF, Ftd of one growth pass (front ends that show every pass)
  grown,             // the growth limit, effective fetch, FHs, FTs, hs, ts
  offshoreShoaling,  // ks
  offshoreWave,      // lo, co, l1, c1, surfDepth
  offshoreSine,      // s1, so
  deepAngle,         // aor, deepAngle
  deepHeight,        // kr, deepHeight
  localAngle,        // localAngle
  localWave,         // localLength to breakingHeight
  heightStatistics,  // the offshore and local rows, hnso
  transportBegins,   // the answer was 1
  classExposure,     // classShare and classExposure of one height class
  transportFactor,   // siRateFactor
  kpls,              // kpls
  classTransport,    // classRate, classHeight, classFlux of one height class
  stormTotals,       // surfCurrent, stormTransport, stormTransportM3
};

// What the stages have shown so far: the storm's values, and the two that only the console
// shows.
struct ShownValues {
  StormValues storm;
  float speedMph = 0;  // the wind speed in mph with 0.3048 m to the foot
  float siRateFactor = 0;
};

// A front end of the stages. ask() keeps the variable as it is when the front end gives no
// answer; reached() gets the height class (1 to 4) of a class's step, else 0. A front end
// that shows no growth pass lets the growth run without stopping at each pass.
template <class FrontEnd>
concept StageFrontEnd = requires(FrontEnd frontEnd, float& real, std::int32_t& integer,
                                 const CaseState& state, const ShownValues& shown) {
  { FrontEnd::kShowsEveryGrowthPass } -> std::convertible_to<bool>;
  frontEnd.ask(Question::gravity, real);
  frontEnd.ask(Question::fetchUnit, integer);
  frontEnd.reached(Step::inputsBegin, state, shown, std::int32_t{0});
};

// The answer that a storm's answers give to a question; the settling velocity's presence
// answers the continue question. An answer not given keeps the variable as it is.
void answerFrom(const StormAnswers& answers, Question question, float& answer);
void answerFrom(const StormAnswers& answers, Question question, std::int32_t& answer);

namespace stage_detail {

// The value of class i (1 to 4) in the run of four that starts with class 1's.
inline StormValue ofClass(StormValue classOne, std::int32_t i) {
  return static_cast<StormValue>(static_cast<std::size_t>(classOne) + std::size_t(i - 1));
}

// Keeps the values of the latest growth pass, so that they stand even when the pass ends the
// storm with a math error.
inline void keepGrowthPass(const WaveGrowth& growth, StormValues& values) {
  values.passes = growth.passes;
  values.set(StormValue::Fd, growth.terms.Fd);
  values.set(StormValue::FF, growth.FF);
  values.set(StormValue::Ftd, growth.terms.Ftd);
}

}  // namespace stage_detail

// Gravity and the unit system, the offshore depth, the fetch and the wind speed in their
// units, the duration and the two wind factors, converted for the run and for the setup.
template <StageFrontEnd FrontEnd>
void readSiteAndWindInputs(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StormValues& values = shown.storm;
  frontEnd.reached(Step::inputsBegin, state, shown, 0);
  frontEnd.ask(Question::gravity, state.g);
  chooseUnitSystem(state);
  if (state.usUnits) values.units = UnitSystem::us;
  if (state.siUnits) values.units = UnitSystem::si;
  values.set(StormValue::density, state.rho);
  frontEnd.reached(Step::unitSystem, state, shown, 0);
  frontEnd.ask(Question::offshoreDepth, state.depth);

  frontEnd.ask(Question::fetchUnit, state.unitChoice);
  chooseFetchUnit(state);
  frontEnd.ask(Question::fetch, state.fetch);
  convertFetch(state);
  frontEnd.reached(Step::fetchConverted, state, shown, 0);
  frontEnd.ask(Question::speedUnit, state.unitChoice);
  chooseSpeedUnit(state);
  frontEnd.ask(Question::windSpeed, state.windSpeed);
  convertWindSpeed(state);
  shown.speedMph = windSpeedMph(state);
  frontEnd.reached(Step::speedConverted, state, shown, 0);

  frontEnd.ask(Question::durationHours, state.duration);
  frontEnd.ask(Question::stabilityFactor, state.rt);
  frontEnd.ask(Question::seaLandFactor, state.rl);
  checkHindcastInputs(state, values);
  convertForSetup(state);
}

// The wind setup, the duration in seconds and the adjusted wind speed ua.
template <StageFrontEnd FrontEnd>
void setUpWind(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StormValues& values = shown.storm;
  const WindSetup setup = computeWindSetup(state);
  values.set(StormValue::setupFeet, setup.feet);
  values.set(StormValue::setupMeters, setup.meters);
  frontEnd.reached(Step::windSetup, state, shown, 0);
  convertDurationToSeconds(state);
  adjustWindSpeed(state);
  values.set(StormValue::ua, state.ua);
  frontEnd.reached(Step::adjustedSpeed, state, shown, 0);
}

// What a step of a storm's run hands to a later one (see kStormSteps).
struct StepRecord {
  WaveGrowth growth;
  bool anotherPass = false;  // the first growth pass asked for another
  WaveLengthRun waveLength;  // the wave length iteration in hand
  OffshoreWave wave{};       // the capped offshore wave, for the deep-water height
  OffshoreAngle angle{};     // the offshore angle's sine and cosine, for the same
  bool goesOn = true;        // false once the answer to the continue question was not 1
  // The sin, cos or atan values a step asks of the next (the first trigAsked of them): the
  // library's, unless the vector library's are worked out for many storms at once in between
  // (runStorms).
  std::size_t trigAsked = 0;
  std::array<TrigValue, 3> trig{};
};

// Asks the values of the next step: each a function and its argument.
inline void askTrig(StepRecord& record, std::initializer_list<std::pair<Trig, double>> values) {
  record.trigAsked = 0;
  for (const auto& [function, x] : values) {
    record.trig[record.trigAsked++] = TrigValue{.function = function, .x = x};
  }
}

// The first growth pass, or for a front end that shows every pass all of them.
template <StageFrontEnd FrontEnd>
void beginGrowth(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  StormValues& values = shown.storm;
  record.growth = startWaveGrowth(state);
  WaveGrowth& growth = record.growth;
  if constexpr (FrontEnd::kShowsEveryGrowthPass) {
    bool anotherPass = true;
    while (anotherPass) {
      beginGrowthPass(state, growth);
      stage_detail::keepGrowthPass(growth, values);
      frontEnd.reached(Step::growthPass, state, shown, 0);
      anotherPass = endGrowthPass(state, growth);
    }
    record.anotherPass = false;
  } else {
    beginGrowthPass(state, growth);
    stage_detail::keepGrowthPass(growth, values);
    record.anotherPass = endGrowthPass(state, growth);
  }
}

// The last growth pass, found without the passes between where the first asked for another,
// and the hindcast hs and ts.
template <StageFrontEnd FrontEnd>
void endGrowth(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  StormValues& values = shown.storm;
  WaveGrowth& growth = record.growth;
  if (record.anotherPass) {
    beginLastGrowthPass(state, growth);
    stage_detail::keepGrowthPass(growth, values);
    endGrowthPass(state, growth);
  }
  if (growth.passes > 1000) values.warn(Warning::manyGrowthPasses);
  values.limitedBy = growthLimit(state, growth);
  values.set(StormValue::effectiveFetch, state.fetch);
  values.set(StormValue::FHs, growth.FHs);
  values.set(StormValue::FTs, growth.FTs);
  values.set(StormValue::hs, state.hs);
  values.set(StormValue::ts, state.ts);
  frontEnd.reached(Step::grown, state, shown, 0);
}

// The growth passes, until the fetch's period no longer exceeds the duration's, and the
// hindcast hs and ts.
template <StageFrontEnd FrontEnd>
void growWaves(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StepRecord record;
  beginGrowth(state, shown, frontEnd, record);
  endGrowth(state, shown, frontEnd, record);
}

// The wave at the offshore depth from its iterated wave length, capped at breaking, the local
// depth, and the offshore angle in radians; asks its sine and cosine.
template <StageFrontEnd FrontEnd>
void shoalOffshoreWave(CaseState& state, ShownValues& shown, FrontEnd& frontEnd,
                       StepRecord& record) {
  StormValues& values = shown.storm;
  finishOffshoreWaveLength(state, record.waveLength);
  values.set(StormValue::ks, state.ks);
  frontEnd.reached(Step::offshoreShoaling, state, shown, 0);
  const OffshoreWave wave = capOffshoreWave(state);
  record.wave = wave;
  if (wave.capped) values.warn(Warning::breakingCapped);
  values.set(StormValue::lo, state.lo);
  values.set(StormValue::co, state.co);
  values.set(StormValue::l1, state.l1);
  values.set(StormValue::c1, state.c1);
  values.set(StormValue::surfDepth, wave.surfDepth);
  frontEnd.reached(Step::offshoreWave, state, shown, 0);

  const float offshoreDepth = state.depth;
  frontEnd.ask(Question::localDepth, state.depth);
  if (state.depth < wave.surfDepth) values.warn(Warning::insideSurfZone);
  if (state.depth > offshoreDepth) values.warn(Warning::localDeeperThanOffshore);
  setLocalDepth(state);
  frontEnd.ask(Question::angleDegrees, state.alpha);
  convertOffshoreAngle(state);
  askTrig(record, {{Trig::sin, double(state.alpha)}, {Trig::cos, double(state.alpha)}});
}

// Snell's law out to deep water; asks the atan of the deep-water angle.
template <StageFrontEnd FrontEnd>
void refractOutward(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  StormValues& values = shown.storm;
  record.angle = refractOffshoreAngle(state, record.trig[0], record.trig[1]);
  if (record.angle.clamped) values.warn(Warning::angleClamped);
  values.set(StormValue::s1, record.angle.s1);
  values.set(StormValue::so, state.so);
  frontEnd.reached(Step::offshoreSine, state, shown, 0);
  askTrig(record, {{Trig::atan, tangentOfSine(state.so)}});
}

// The deep-water angle; asks its cosine.
template <StageFrontEnd FrontEnd>
void findDeepAngle(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  StormValues& values = shown.storm;
  const float deepAngle = computeDeepAngle(state, record.trig[0]);
  values.set(StormValue::aor, state.aor);
  values.set(StormValue::deepAngle, deepAngle);
  frontEnd.reached(Step::deepAngle, state, shown, 0);
  askTrig(record, {{Trig::cos, double(state.aor)}});
}

// The refraction coefficient and the deep-water height.
template <StageFrontEnd FrontEnd>
void findDeepHeight(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  StormValues& values = shown.storm;
  computeDeepHeight(state, record.angle, record.wave, record.trig[0]);
  values.set(StormValue::kr, state.kr);
  values.set(StormValue::deepHeight, state.deepHeight);
  frontEnd.reached(Step::deepHeight, state, shown, 0);
}

// The wave length at the offshore depth, and the wave from it out to deep water, the trig
// values each step asks taken from the library.
template <StageFrontEnd FrontEnd>
void refractToDeepWater(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StepRecord record;
  startOffshoreWaveLength(state, record.waveLength);
  iterateWaveLength(state, record.waveLength);
  shoalOffshoreWave(state, shown, frontEnd, record);
  refractOutward(state, shown, frontEnd, record);
  findDeepAngle(state, shown, frontEnd, record);
  findDeepHeight(state, shown, frontEnd, record);
}

// The local wave's values from the iterated wave length at the local depth; asks the atan of
// the local angle.
template <StageFrontEnd FrontEnd>
void shoalLocalWave(CaseState& state, ShownValues&, FrontEnd&, StepRecord& record) {
  finishLocalWaveLength(state, record.waveLength);
  askTrig(record, {{Trig::atan, shoalLocalTangent(state)}});
}

// The local angle; asks its cosine.
template <StageFrontEnd FrontEnd>
void findLocalAngle(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  const float localAngle = computeLocalAngle(state, record.trig[0]);
  shown.storm.set(StormValue::localAngle, state.localAngleDegrees);
  frontEnd.reached(Step::localAngle, state, shown, 0);
  askTrig(record, {{Trig::cos, double(localAngle)}});
}

// The local refraction coefficient and the local wave.
template <StageFrontEnd FrontEnd>
void findLocalHeight(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  StormValues& values = shown.storm;
  const float krLocal = computeLocalHeight(state, record.trig[0]);
  values.set(StormValue::localLength, state.localLength);
  values.set(StormValue::localHeight, state.localHeight);
  values.set(StormValue::localCelerity, state.localCelerity);
  values.set(StormValue::groupRatio, state.groupRatio);
  values.set(StormValue::ksLocal, state.ksLocal);
  values.set(StormValue::krLocal, krLocal);
  values.set(StormValue::breakingHeight, state.breakLimitHeight);
  frontEnd.reached(Step::localWave, state, shown, 0);
}

// The wave length at the local depth, the local angle and the local wave.
template <StageFrontEnd FrontEnd>
void shoalToLocalDepth(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StepRecord record;
  startLocalWaveLength(state, record.waveLength);
  iterateWaveLength(state, record.waveLength);
  shoalLocalWave(state, shown, frontEnd, record);
  findLocalAngle(state, shown, frontEnd, record);
  findLocalHeight(state, shown, frontEnd, record);
}

// The offshore and local height statistics and the height classes; asks whether to go on to
// the transport and returns true when the answer is 1.
template <StageFrontEnd FrontEnd>
bool describeWaveHeights(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StormValues& values = shown.storm;
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
  frontEnd.reached(Step::heightStatistics, state, shown, 0);
  frontEnd.ask(Question::continueAnswer, state.continueAnswer);
  return state.continueAnswer == 1;
}

// The storm's exposure in each height class.
template <StageFrontEnd FrontEnd>
void exposeHeightClasses(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StormValues& values = shown.storm;
  frontEnd.reached(Step::transportBegins, state, shown, 0);
  // A bound's exceedance is worked out once, for the class below it and the class above.
  float lowerExceedance = classBoundExceedance(state, 0);
  for (std::int32_t i = 1; i <= 4; ++i) {
    const float upperExceedance = classBoundExceedance(state, i);
    const float share = computeClassExposure(state, i, lowerExceedance, upperExceedance);
    lowerExceedance = upperExceedance;
    values.set(stage_detail::ofClass(StormValue::classShare1, i), share);
    values.set(stage_detail::ofClass(StormValue::classExposure1, i),
               state.classExposure[std::size_t(i - 1)]);
    frontEnd.reached(Step::classExposure, state, shown, i);
  }
}

// The beach slope and settling velocity; asks the sines of the transport coefficient and of
// the energy flux.
template <StageFrontEnd FrontEnd>
void readTransportInputs(CaseState& state, ShownValues& shown, FrontEnd& frontEnd,
                         StepRecord& record) {
  shown.siRateFactor = computeSiRateFactor();
  frontEnd.reached(Step::transportFactor, state, shown, 0);
  state.beachSlope = kDefaultBeachSlope;
  frontEnd.ask(Question::beachSlope, state.beachSlope);
  frontEnd.ask(Question::settlingVelocity, state.settlingVelocity);
  checkTransportInputs(state, shown.storm);
  convertSettlingVelocity(state);
  const float twoLocalAngle = doubleLocalAngle(state);
  askTrig(record, {{Trig::sin, kplsAngle(state.pi, twoLocalAngle)},
                   {Trig::sin, 2 * double(state.aor)},
                   {Trig::sin, radiansOfDegrees(state.pi, twoLocalAngle)}});
}

// The transport coefficient, the transport of each class and of the storm, and the surf
// current.
template <StageFrontEnd FrontEnd>
void findLongshoreTransport(CaseState& state, ShownValues& shown, FrontEnd& frontEnd,
                            StepRecord& record) {
  StormValues& values = shown.storm;
  values.set(StormValue::kpls, computeKpls(state, record.trig[0]));
  frontEnd.reached(Step::kpls, state, shown, 0);

  StormTransport storm;
  const FluxTerms terms = computeFluxTerms(state, record.trig[1], record.trig[2]);
  for (std::int32_t i = 1; i <= 4; ++i) {
    const ClassTransport transport = computeClassTransport(state, terms, i, storm);
    values.set(stage_detail::ofClass(StormValue::classRate1, i), transport.rate);
    values.set(stage_detail::ofClass(StormValue::classHeight1, i), transport.height);
    values.set(stage_detail::ofClass(StormValue::classFlux1, i), transport.flux);
    frontEnd.reached(Step::classTransport, state, shown, i);
  }
  values.set(StormValue::surfCurrent, computeSurfCurrent(storm));
  const float stormTotal = computeStormTotal(state, storm, shown.siRateFactor);
  values.set(StormValue::stormTransport, stormTotal);
  values.set(StormValue::stormTransportM3, convertToCubicMetres(stormTotal));
  for (std::int32_t i = 1; i <= 4; ++i) {
    const float classRate = values.get(stage_detail::ofClass(StormValue::classRate1, i));
    values.set(stage_detail::ofClass(StormValue::classTransportM3_1, i),
               classTransportInCubicMetres(state, classRate, shown.siRateFactor));
  }
  frontEnd.reached(Step::stormTotals, state, shown, 0);
}

// The beach slope and settling velocity, the transport coefficient, the transport of each
// class and of the storm, and the surf current.
template <StageFrontEnd FrontEnd>
void computeLongshoreTransport(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  StepRecord record;
  readTransportInputs(state, shown, frontEnd, record);
  findLongshoreTransport(state, shown, frontEnd, record);
}

// The run as a list of steps, each a function of the storm's state, its values so far and the
// step record, a wave length iteration, or the bounds of the trig values the step before asked.
// runStages takes a storm through them one after another, its trig values from the library;
// runStorms takes many storms through each step in turn, so that the library calls of one
// storm's step overlap those of the next, through each wave length iteration side by side and
// the growth's first and last passes, the classes' exposure and the transport eight storms at a
// time, and works out the bounds of their trig values all at once.
template <StageFrontEnd FrontEnd>
using StormStep = void (*)(CaseState&, ShownValues&, FrontEnd&, StepRecord&);

namespace stage_detail {

template <StageFrontEnd FrontEnd>
void readInputs(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord&) {
  state.pi = computePi();
  readSiteAndWindInputs(state, shown, frontEnd);
}

template <StageFrontEnd FrontEnd>
void setUpWindStep(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord&) {
  setUpWind(state, shown, frontEnd);
}

template <StageFrontEnd FrontEnd>
void startOffshoreStep(CaseState& state, ShownValues&, FrontEnd&, StepRecord& record) {
  startOffshoreWaveLength(state, record.waveLength);
}

template <StageFrontEnd FrontEnd>
void startLocalStep(CaseState& state, ShownValues&, FrontEnd&, StepRecord& record) {
  startLocalWaveLength(state, record.waveLength);
}

template <StageFrontEnd FrontEnd>
void describeStep(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord& record) {
  record.goesOn = describeWaveHeights(state, shown, frontEnd);
}

template <StageFrontEnd FrontEnd>
void exposeStep(CaseState& state, ShownValues& shown, FrontEnd& frontEnd, StepRecord&) {
  exposeHeightClasses(state, shown, frontEnd);
}

}  // namespace stage_detail

// What a step of the list is.
enum class StepKind {
  compute,             // a function
  iterateWaveLength,   // the wave length iteration in hand
  boundTrig,           // the bounds of the trig values asked
  firstGrowthPass,     // a function that begins the growth, run for many storms at once
  lastGrowthPass,      // a function that ends the growth, run for many storms at once
  classExposure,       // a function that exposes the height classes, run for many at once
  longshoreTransport,  // a function that finds the transport, run for many storms at once
};

template <StageFrontEnd FrontEnd>
struct StormStepEntry {
  StepKind kind = StepKind::compute;
  StormStep<FrontEnd> step = nullptr;
};

// The steps of the run in order; after describeStep, only a storm that goes on takes the rest.
template <StageFrontEnd FrontEnd>
inline constexpr std::array<StormStepEntry<FrontEnd>, 25> kStormSteps = {{
    {StepKind::compute, stage_detail::readInputs<FrontEnd>},
    {StepKind::compute, stage_detail::setUpWindStep<FrontEnd>},
    {StepKind::firstGrowthPass, beginGrowth<FrontEnd>},
    {StepKind::lastGrowthPass, endGrowth<FrontEnd>},
    {StepKind::compute, stage_detail::startOffshoreStep<FrontEnd>},
    {StepKind::iterateWaveLength},  // at the offshore depth
    {StepKind::compute, shoalOffshoreWave<FrontEnd>},
    {StepKind::boundTrig},  // sin and cos of the offshore angle
    {StepKind::compute, refractOutward<FrontEnd>},
    {StepKind::boundTrig},  // the deep-water angle's atan
    {StepKind::compute, findDeepAngle<FrontEnd>},
    {StepKind::boundTrig},  // its cos
    {StepKind::compute, findDeepHeight<FrontEnd>},
    {StepKind::compute, stage_detail::startLocalStep<FrontEnd>},
    {StepKind::iterateWaveLength},  // at the local depth
    {StepKind::compute, shoalLocalWave<FrontEnd>},
    {StepKind::boundTrig},  // the local angle's atan
    {StepKind::compute, findLocalAngle<FrontEnd>},
    {StepKind::boundTrig},  // its cos
    {StepKind::compute, findLocalHeight<FrontEnd>},
    {StepKind::compute, stage_detail::describeStep<FrontEnd>},
    {StepKind::classExposure, stage_detail::exposeStep<FrontEnd>},
    {StepKind::compute, readTransportInputs<FrontEnd>},
    {StepKind::boundTrig},  // the transport's three sines
    {StepKind::longshoreTransport, findLongshoreTransport<FrontEnd>},
}};

// Calls visit(index) for each step of kStormSteps in order, the index a compile-time constant
// (std::integral_constant) so that the step's call is direct, while visit returns true.
template <StageFrontEnd FrontEnd, class Visit>
void forEachStormStep(Visit&& visit) {
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (visit(std::integral_constant<std::size_t, I>{}) && ...);
  }
  (std::make_index_sequence<kStormSteps<FrontEnd>.size()>{});
}

// The whole storm, step after step. A math error ends the storm where it occurs and becomes the
// storm's error; the values shown before it stay. What the front end throws goes through.
template <StageFrontEnd FrontEnd>
void runStages(CaseState& state, ShownValues& shown, FrontEnd& frontEnd) {
  try {
    setNumericEnvironment();
    StepRecord record;
    forEachStormStep<FrontEnd>([&](auto index) {
      constexpr StormStepEntry<FrontEnd> entry = kStormSteps<FrontEnd>[index()];
      if constexpr (entry.kind == StepKind::iterateWaveLength) {
        iterateWaveLength(state, record.waveLength);
      } else if constexpr (entry.kind != StepKind::boundTrig) {
        entry.step(state, shown, frontEnd, record);
      }
      return record.goesOn;
    });
  } catch (const MathError& error) {
    shown.storm.error = error.message;
  }
}

}  // namespace littoral
