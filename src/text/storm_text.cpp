#include "storm_text.hpp"

#include <charconv>

#include "error_cause.hpp"
#include "input_ranges.hpp"
#include "real_text.hpp"
#include "unit_names.hpp"

namespace littoral {
namespace {

// A value shown in a reason, to four significant digits: 2.749, 10, 1.5e+04.
std::string roughText(double value) {
  char text[kRoughTextSize];
  const char* end = writeRoughText(text, value);
  return std::string(static_cast<const char*>(text), end);
}

std::string_view lengthUnit(const StormValues& values) {
  return values.units == UnitSystem::us ? "ft" : "m";
}

std::string_view unitName(const auto& names, std::int32_t choice) {
  return choice >= 1 && choice <= 5 ? names[std::size_t(choice - 1)] : std::string_view("?");
}

// The input column an answer is read from.
std::string_view columnOf(Question answer) {
  switch (answer) {
    case Question::gravity:
      return "gravity";
    case Question::offshoreDepth:
      return "depth";
    case Question::fetchUnit:
      return "fetch_unit";
    case Question::fetch:
      return "fetch";
    case Question::speedUnit:
      return "speed_unit";
    case Question::windSpeed:
      return "wind_speed";
    case Question::durationHours:
      return "duration_h";
    case Question::stabilityFactor:
      return "rt";
    case Question::seaLandFactor:
      return "rl";
    case Question::localDepth:
      return "local_depth";
    case Question::angleDegrees:
      return "angle_deg";
    case Question::continueAnswer:
      break;
    case Question::beachSlope:
      return "beach_slope";
    case Question::settlingVelocity:
      return "settling_velocity";
  }
  return "";
}

float answerOf(const StormAnswers& answers, Question answer) {
  float value = 0;
  answerFrom(answers, answer, value);
  return value;
}

// How a range is shown: the column, and the unit and scale of its ends.
struct RangeText {
  Warning warning;
  std::string_view column;
  std::string_view unit;
  double scale;  // from the range's SI unit to the unit shown
};

constexpr RangeText kRangeTexts[] = {
    {Warning::windSpeedOutOfRange, "wind_speed", " m/s", 1},
    {Warning::fetchOutOfRange, "fetch", " km", 0.001},
    {Warning::durationOutOfRange, "duration_h", " h", 1},
    {Warning::depthOutOfRange, "depth", " m", 1},
    {Warning::rtOutOfRange, "rt", "", 1},
    {Warning::rlOutOfRange, "rl", "", 1},
    {Warning::beachSlopeOutOfRange, "beach_slope", "", 1},
    {Warning::settlingVelocityOutOfRange, "settling_velocity", " cm/s", 1},
};

std::string rangeOf(const RangeText& shown) {
  const InputRange& range = inputRange(shown.warning);
  return roughText(range.low * shown.scale) + " to " + roughText(range.high * shown.scale) +
         std::string(shown.unit);
}

// The answer of an out-of-range warning with its unit as it was answered.
std::string answeredWithUnit(const StormAnswers& answers, const StormValues& values,
                             Warning warning) {
  switch (warning) {
    case Warning::windSpeedOutOfRange:
      return shortestText(answers.windSpeed) + " " +
             std::string(unitName(kSpeedUnitNames, answers.speedUnit));
    case Warning::fetchOutOfRange:
      return shortestText(answers.fetch) + " " +
             std::string(unitName(kFetchUnitNames, answers.fetchUnit));
    case Warning::durationOutOfRange:
      return shortestText(answers.durationHours) + " h";
    case Warning::depthOutOfRange:
      return shortestText(answers.depth) + " " + std::string(lengthUnit(values));
    case Warning::rtOutOfRange:
      return shortestText(answers.rt);
    case Warning::rlOutOfRange:
      return shortestText(answers.rl);
    case Warning::beachSlopeOutOfRange:
      return shortestText(answers.beachSlope.value_or(0.005f));
    case Warning::settlingVelocityOutOfRange:
      return shortestText(answers.settlingVelocity.value_or(0)) + " cm/s";
    default:
      return "";
  }
}

std::string angleClampedReason(const StormValues& values) {
  std::string reason = "the deep-water sine was 1 or more in size and became +0.99";
  if (values.has(StormValue::s1) && values.get(StormValue::s1) < 0) {
    reason += ", so the transport runs the opposite way to what the negative angle implies";
  }
  return reason;
}

std::string breakingCappedReason(const StormValues& values) {
  std::string reason = "the hindcast height " + roughText(double(values.get(StormValue::hs))) +
                       " " + std::string(lengthUnit(values)) +
                       " was limited to the offshore breaking height";
  if (values.has(StormValue::offshoreHs)) {
    reason += " " + roughText(double(values.get(StormValue::offshoreHs))) + " " +
              std::string(lengthUnit(values));
  }
  return reason;
}

void appendRoughText(std::string& out, double value) {
  char text[kRoughTextSize];
  out.append(text, std::size_t(writeRoughText(text, value) - text));
}

// Appends a warning's "code: reason" item.
void appendReason(std::string& out, const StormAnswers& answers, const StormValues& values,
                  Warning warning) {
  const std::string_view unit = lengthUnit(values);
  const auto appendDepth = [&](std::string_view what, double depth) {
    out += what;
    appendRoughText(out, depth);
    out += ' ';
    out += unit;
  };
  switch (warning) {
    case Warning::angleClamped:
      out += "angle-clamped: ";
      out += angleClampedReason(values);
      return;
    case Warning::insideSurfZone:
      appendDepth("inside-surf-zone: the local depth ", double(answers.localDepth));
      appendDepth(" is less than the approximate surf depth ",
                  double(values.get(StormValue::surfDepth)));
      return;
    case Warning::localDeeperThanOffshore:
      appendDepth("local-deeper-than-offshore: the local depth ", double(answers.localDepth));
      appendDepth(" is more than the offshore depth ", double(answers.depth));
      return;
    case Warning::breakingCapped:
      out += "breaking-capped: ";
      out += breakingCappedReason(values);
      return;
    case Warning::manyGrowthPasses:
      out += "many-growth-passes: ";
      out += std::to_string(values.passes);
      out += " growth passes (a zero or tiny duration)";
      return;
    default:
      break;
  }
  for (const RangeText& range : kRangeTexts) {
    if (range.warning != warning) continue;
    out += "out-of-range-";
    out += range.column;
    out += ": ";
    out += answeredWithUnit(answers, values, warning);
    out += " is outside ";
    out += rangeOf(range);
    out += ", the range the method was built for";
    return;
  }
}

std::string notPositiveReason(Question answer) {
  switch (answer) {
    case Question::gravity:
      return "gravity must be more than zero";
    case Question::offshoreDepth:
      return "the offshore depth must be more than zero";
    case Question::fetch:
      return "a fetch must be more than zero";
    case Question::windSpeed:
      return "the wind speed must be more than zero";
    case Question::stabilityFactor:
      return "the stability factor must be more than zero";
    case Question::seaLandFactor:
      return "the sea/land factor must be more than zero";
    case Question::durationHours:
      return "the storm must last more than zero hours";
    case Question::localDepth:
      return "the local depth must be more than zero";
    default:
      return "the value must be more than zero";
  }
}

}  // namespace

std::string shortestText(float value) {
  char text[32];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(static_cast<const char*>(text), end);
}

std::string warningsText(const StormAnswers& answers, const StormValues& values) {
  return std::string(warningsTextInPlace(answers, values));
}

std::string_view warningsTextInPlace(const StormAnswers& answers, const StormValues& values) {
  thread_local std::string text;
  text.clear();
  for (std::size_t i = 0; i < kWarningCount; ++i) {
    if (!values.warnings.test(i)) continue;
    if (!text.empty()) text += "; ";
    appendReason(text, answers, values, static_cast<Warning>(i));
  }
  return text;
}

std::string errorCauseText(const StormAnswers& answers, const StormValues& values) {
  const ErrorCause cause = findErrorCause(answers, values);
  if (cause.reason == ErrorReason::none) return "";
  const std::string named = std::string(columnOf(cause.answer)) + " " +
                            shortestText(answerOf(answers, cause.answer)) + ": ";
  switch (cause.reason) {
    case ErrorReason::none:
      return "";
    case ErrorReason::noUnitSystem:
      return named + "above 30 is US units, below 30 SI units";
    case ErrorReason::notPositive:
      return named + notPositiveReason(cause.answer);
    case ErrorReason::deepWaterLightWind:
      return named + "with this wind the non-dimensional depth g d/ua^2 is " +
             roughText(double(values.get(StormValue::Fd))) +
             ", above the 922 the growth laws can take (deep water with a light wind); a "
             "smaller depth or a stronger wind works";
    case ErrorReason::angleBeyondNormal:
      return named + "the wave must come from less than 90 degrees of the shore normal";
    case ErrorReason::unexplained:
      break;
  }
  return "no single input explains it: the inputs together give a value the method cannot take";
}

}  // namespace littoral
