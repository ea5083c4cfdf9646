#include "error_cause.hpp"

#include <cmath>
#include <utility>

#include "numerics.hpp"

namespace littoral {
namespace {

// An entered angle whose cosine, once the angle is a single in radians, is not positive.
bool beyondNormal(float degrees) {
  const double radians = double(toSingle(double(computePi()) * double(degrees) / 180));
  return !(std::cos(radians) > 0);
}

}  // namespace

ErrorCause findErrorCause(const StormAnswers& answers, const StormValues& values) {
  if (values.error.empty()) return {};
  const auto cause = [](ErrorReason reason, Question answer) { return ErrorCause{reason, answer}; };
  if (!(answers.g != 30)) return cause(ErrorReason::noUnitSystem, Question::gravity);
  const std::pair<Question, float> positives[] = {{Question::gravity, answers.g},
                                                  {Question::offshoreDepth, answers.depth},
                                                  {Question::fetch, answers.fetch},
                                                  {Question::windSpeed, answers.windSpeed},
                                                  {Question::stabilityFactor, answers.rt},
                                                  {Question::seaLandFactor, answers.rl},
                                                  {Question::durationHours, answers.durationHours}};
  for (const auto& [answer, value] : positives) {
    if (!(value > 0)) return cause(ErrorReason::notPositive, answer);
  }
  if (values.has(StormValue::Fd) && !(double(values.get(StormValue::Fd)) <= kLargestGrowthDepth)) {
    return cause(ErrorReason::deepWaterLightWind, Question::offshoreDepth);
  }
  // The refraction to deep water comes before the local wave.
  if (beyondNormal(answers.angleDegrees)) {
    return cause(ErrorReason::angleBeyondNormal, Question::angleDegrees);
  }
  if (!(answers.localDepth > 0)) return cause(ErrorReason::notPositive, Question::localDepth);
  return {ErrorReason::unexplained, Question::gravity};
}

}  // namespace littoral
