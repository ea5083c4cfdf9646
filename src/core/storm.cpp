#include "littoral/storm.hpp"

#include "case_state.hpp"
#include "growth_lanes.hpp"
#include "storm_sequence.hpp"
#include "transport_lanes.hpp"
#include "trig_lanes.hpp"

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

namespace littoral {

namespace {

// The storm's answers, and nothing shown: the values stay in ShownValues.
struct StormAnswering {
  static constexpr bool kShowsEveryGrowthPass = false;

  void ask(Question question, float& answer) const { answerFrom(answers, question, answer); }
  void ask(Question question, std::int32_t& answer) const { answerFrom(answers, question, answer); }
  void reached(Step, const CaseState&, const ShownValues&, std::int32_t) const {}

  const StormAnswers& answers;
};

}  // namespace

void answerFrom(const StormAnswers& answers, Question question, float& answer) {
  switch (question) {
    case Question::gravity:
      answer = answers.g;
      return;
    case Question::offshoreDepth:
      answer = answers.depth;
      return;
    case Question::fetch:
      answer = answers.fetch;
      return;
    case Question::windSpeed:
      answer = answers.windSpeed;
      return;
    case Question::durationHours:
      answer = answers.durationHours;
      return;
    case Question::stabilityFactor:
      answer = answers.rt;
      return;
    case Question::seaLandFactor:
      answer = answers.rl;
      return;
    case Question::localDepth:
      answer = answers.localDepth;
      return;
    case Question::angleDegrees:
      answer = answers.angleDegrees;
      return;
    case Question::beachSlope:
      if (answers.beachSlope) answer = *answers.beachSlope;
      return;
    case Question::settlingVelocity:
      if (answers.settlingVelocity) answer = *answers.settlingVelocity;
      return;
    case Question::fetchUnit:
    case Question::speedUnit:
    case Question::continueAnswer:
      return;
  }
}

void answerFrom(const StormAnswers& answers, Question question, std::int32_t& answer) {
  switch (question) {
    case Question::fetchUnit:
      answer = answers.fetchUnit;
      return;
    case Question::speedUnit:
      answer = answers.speedUnit;
      return;
    case Question::continueAnswer:
      answer = answers.settlingVelocity ? 1 : 0;
      return;
    default:
      return;
  }
}

float siRateFactor() { return computeSiRateFactor(); }

StormValues runStorm(const StormAnswers& answers) {
  CaseState state;
  ShownValues shown;
  StormAnswering frontEnd{answers};
  runStages(state, shown, frontEnd);
  return std::move(shown.storm);
}

namespace {

// Storms taken through the steps of the run together: enough to keep the wave length
// iterations' rounds full (a group's last rounds run with few storms left), few enough for their
// states to stay in the processor's second-level cache (about 210 KB, on the stack). 256 ran
// about 2 % faster a storm than 128, and 512 little faster again.
constexpr std::size_t kGroup = 256;

struct GroupStorm {
  CaseState state;
  ShownValues shown;
  StepRecord record;
  bool running = true;  // no math error ended it, and it goes on
};

// Takes the storms that are running through a wave length iteration side by side, and keeps
// the error of each whose iteration met one.
void iterateSideBySide(std::span<GroupStorm> storms) {
  std::array<WaveLengthLane, kGroup> lanes;
  std::array<GroupStorm*, kGroup> stormOfLane{};
  std::size_t count = 0;
  for (GroupStorm& storm : storms) {
    if (!storm.running) continue;
    lanes[count] = {&storm.state, storm.record.waveLength, {}};
    stormOfLane[count++] = &storm;
  }
  iterateWaveLengths(std::span(lanes).first(count));
  for (std::size_t lane = 0; lane < count; ++lane) {
    GroupStorm& storm = *stormOfLane[lane];
    storm.record.waveLength = lanes[lane].run;
    if (lanes[lane].error) {
      storm.shown.storm.error = lanes[lane].error->message;
      storm.running = false;
    }
  }
}

// The trig values of a slot of the storms' records, gathered across the group: the first count
// of each array are set.
struct TrigSlot {
  Trig function = Trig::sin;
  std::size_t count = 0;
  std::array<TrigValue*, kGroup> asked;
  std::array<double, kGroup> x;
  std::array<double, kGroup> values;
};

// Works out, by the best way of this processor, the vector library's values of the trig values
// that the running storms' last step asked, a slot at a time across the group.
void boundTrigSideBySide(std::span<GroupStorm> storms) {
  const TrigLanes way = bestTrigLanes();
  if (way == TrigLanes::none) return;
  std::array<TrigSlot, std::tuple_size_v<decltype(StepRecord::trig)>> slots;
  for (GroupStorm& storm : storms) {
    if (!storm.running) continue;
    for (std::size_t slot = 0; slot < storm.record.trigAsked; ++slot) {
      TrigValue& value = storm.record.trig[slot];
      TrigSlot& gathered = slots[slot];
      if (gathered.count == 0) gathered.function = value.function;
      if (value.function != gathered.function) continue;  // left to the library
      gathered.asked[gathered.count] = &value;
      gathered.x[gathered.count++] = value.x;
    }
  }
  for (TrigSlot& slot : slots) {
    trigLaneValues(way, slot.function, slot.x.data(), slot.values.data(), slot.count);
    for (std::size_t i = 0; i < slot.count; ++i) slot.asked[i]->laneValue = slot.values[i];
  }
}

// Takes the running storms through a step eight at a time: laneOf(storm, lane) makes a storm's
// lane in place, or returns false for a storm that takes the step alone; runLanes(lanes) runs the
// step on up to eight and returns a bit for each lane it took; keep(lane, i) keeps a taken lane's
// results for storm i; and each storm not taken takes the step alone (runAlone(i)).
template <class Lane, class LaneOf, class RunLanes, class Keep, class RunAlone>
void stepEightAtATime(std::span<GroupStorm> storms, LaneOf laneOf, RunLanes runLanes, Keep keep,
                      RunAlone runAlone) {
  std::array<Lane, 8> lanes;
  std::array<std::size_t, 8> stormOfLane{};
  std::size_t count = 0;
  const auto runRound = [&] {
    const std::uint32_t taken = runLanes(std::span(lanes).first(count));
    for (std::size_t lane = 0; lane < count; ++lane) {
      if ((taken >> lane) & 1) {
        keep(lanes[lane], stormOfLane[lane]);
      } else {
        runAlone(stormOfLane[lane]);
      }
    }
    count = 0;
  };
  for (std::size_t i = 0; i < storms.size(); ++i) {
    if (!storms[i].running) continue;
    if (!laneOf(storms[i], lanes[count])) {
      runAlone(i);
      continue;
    }
    stormOfLane[count++] = i;
    if (count == lanes.size()) runRound();
  }
  if (count > 0) runRound();
}

// The first growth pass of the running storms, eight at a time where the lanes can
// (beginGrowthSideBySide).
template <class RunAlone>
void beginGrowthEightAtATime(std::span<GroupStorm> storms, RunAlone runAlone) {
  static_assert(kGrowthLanes == 8);
  stepEightAtATime<GrowthLane>(
      storms,
      [](GroupStorm& storm, GrowthLane& lane) {
        lane = {&storm.state, &storm.record.growth};
        return true;
      },
      beginGrowthSideBySide,
      [storms](const GrowthLane& lane, std::size_t i) {
        storms[i].record.anotherPass = lane.anotherPass;
        stage_detail::keepGrowthPass(storms[i].record.growth, storms[i].shown.storm);
      },
      runAlone);
}

// The end of the growth of the running storms: the last pass of those whose first pass asked
// for another eight at a time where the lanes can (endGrowthSideBySide), the rest of the step
// for each alone.
template <class RunAlone>
void endGrowthEightAtATime(std::span<GroupStorm> storms, RunAlone runAlone) {
  static_assert(kGrowthLanes == 8);
  stepEightAtATime<LastPassLane>(
      storms,
      [](GroupStorm& storm, LastPassLane& lane) {
        lane = {&storm.state, &storm.record.growth};
        return storm.record.anotherPass;
      },
      endGrowthSideBySide,
      [storms, &runAlone](const LastPassLane&, std::size_t i) {
        stage_detail::keepGrowthPass(storms[i].record.growth, storms[i].shown.storm);
        storms[i].record.anotherPass = false;  // the pass is run: the step only keeps its values
        runAlone(i);
      },
      runAlone);
}

// The exposure of the running storms' height classes, eight at a time where the lanes can
// (exposeSideBySide).
template <class RunAlone>
void exposeEightAtATime(std::span<GroupStorm> storms, RunAlone runAlone) {
  static_assert(kTransportLanes == 8);
  stepEightAtATime<ExposureLane>(
      storms,
      [](GroupStorm& storm, ExposureLane& lane) {
        lane.state = &storm.state;  // the shares are written for each lane the step takes
        return true;
      },
      exposeSideBySide,
      [storms](const ExposureLane& lane, std::size_t i) {
        keepExposure(lane, storms[i].shown.storm);
      },
      runAlone);
}

// The longshore transport of the running storms, eight at a time where the lanes can
// (computeTransportSideBySide).
template <class RunAlone>
void computeTransportEightAtATime(std::span<GroupStorm> storms, RunAlone runAlone) {
  static_assert(kTransportLanes == 8);
  stepEightAtATime<TransportLane>(
      storms,
      [](GroupStorm& storm, TransportLane& lane) {
        lane.state = &storm.state;
        lane.sines = &storm.record.trig;  // the transport is written for each lane the step takes
        return true;
      },
      computeTransportSideBySide,
      [storms](const TransportLane& lane, std::size_t i) {
        keepTransport(lane.transport, storms[i].shown.storm);
      },
      runAlone);
}

// Takes the storms of a group through the steps of the run, every running storm through a
// step before the next step (kStormSteps). A storm that meets a math error keeps it and takes
// no further step.
void runGroup(std::span<const StormAnswers> answers, std::span<StormValues> values) {
  std::array<GroupStorm, kGroup> group;
  const std::span<GroupStorm> storms = std::span(group).first(answers.size());
  forEachStormStep<StormAnswering>([&](auto index) {
    constexpr StormStepEntry<StormAnswering> entry = kStormSteps<StormAnswering>[index()];
    const auto runAlone = [&](std::size_t i) {
      GroupStorm& storm = storms[i];
      StormAnswering frontEnd{answers[i]};
      try {
        entry.step(storm.state, storm.shown, frontEnd, storm.record);
        storm.running = storm.record.goesOn;
      } catch (const MathError& error) {
        storm.shown.storm.error = error.message;
        storm.running = false;
      }
    };
    if constexpr (entry.kind == StepKind::iterateWaveLength) {
      iterateSideBySide(storms);
    } else if constexpr (entry.kind == StepKind::boundTrig) {
      boundTrigSideBySide(storms);
    } else if constexpr (entry.kind == StepKind::firstGrowthPass) {
      beginGrowthEightAtATime(storms, runAlone);
    } else if constexpr (entry.kind == StepKind::lastGrowthPass) {
      endGrowthEightAtATime(storms, runAlone);
    } else if constexpr (entry.kind == StepKind::classExposure) {
      exposeEightAtATime(storms, runAlone);
    } else if constexpr (entry.kind == StepKind::longshoreTransport) {
      computeTransportEightAtATime(storms, runAlone);
    } else {
      for (std::size_t i = 0; i < storms.size(); ++i) {
        if (storms[i].running) runAlone(i);
      }
    }
    return true;
  });
  for (std::size_t i = 0; i < storms.size(); ++i) values[i] = std::move(storms[i].shown.storm);
}

}  // namespace

void runStorms(std::span<const StormAnswers> answers, std::span<StormValues> values) {
  setNumericEnvironment();
  for (std::size_t first = 0; first < answers.size(); first += kGroup) {
    const std::size_t count = std::min(kGroup, answers.size() - first);
    runGroup(answers.subspan(first, count), values.subspan(first, count));
  }
}

}  // namespace littoral
