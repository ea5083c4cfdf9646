#include "storm.hpp"

#include "case_state.hpp"
#include "storm_sequence.hpp"

#include <utility>

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
                                                                    "storm_transport_m3",
                                                                    "class_transport_m3_1",
                                                                    "class_transport_m3_2",
                                                                    "class_transport_m3_3",
                                                                    "class_transport_m3_4"};

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

StormValues runStorm(const StormAnswers& answers) {
  CaseState state;
  ShownValues shown;
  StormAnswering frontEnd{answers};
  runStages(state, shown, frontEnd);
  return std::move(shown.storm);
}
