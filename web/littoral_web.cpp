// The calculator in a web page: the page and its worker call these functions of the
// WebAssembly module. Every number is read, computed and written by the program's own code;
// this file only carries texts and values between it and JavaScript.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "console_input.hpp"
#include "driver.hpp"
#include "records.hpp"
#include "run_errors.hpp"
#include "run_io.hpp"
#include "storm.hpp"

namespace {

using emscripten::val;

// The answers of one storm as the page names them, in the dialogue's order.
enum class FieldKind { real, integer };
struct AnswerField {
  const char* name;
  FieldKind kind;
};
constexpr AnswerField kAnswerFields[] = {{"gravity", FieldKind::real},
                                         {"depth", FieldKind::real},
                                         {"fetch_unit", FieldKind::integer},
                                         {"fetch", FieldKind::real},
                                         {"speed_unit", FieldKind::integer},
                                         {"wind_speed", FieldKind::real},
                                         {"duration_h", FieldKind::real},
                                         {"rt", FieldKind::real},
                                         {"rl", FieldKind::real},
                                         {"local_depth", FieldKind::real},
                                         {"angle_deg", FieldKind::real},
                                         {"beach_slope", FieldKind::real},
                                         {"settling_velocity", FieldKind::real}};
constexpr std::size_t kBeachSlope = 11;
constexpr std::size_t kSettlingVelocity = 12;
constexpr std::size_t kFieldCount = sizeof(kAnswerFields) / sizeof(kAnswerFields[0]);

void runNoCommand(const std::string&) {}

// The text of one answer: a string as it stands, a number as JavaScript writes it, and nothing
// for a missing one.
std::string fieldText(const val& answers, const char* name) {
  const val field = answers[name];
  if (field.isUndefined() || field.isNull()) return "";
  if (field.isString()) return field.as<std::string>();
  return field.call<std::string>("toString");
}

// Reads an answer as the console reads it at its prompt. Returns why it is not a number, or
// nothing when it is; a blank answer or a null value is no number here either.
template <typename Value>
std::optional<std::string> readAnswer(const std::string& text, std::optional<Value>& value) {
  if (text.find_first_of("\r\n") != std::string::npos) return "one line only";
  if (text.find_first_not_of(" \t") == std::string::npos) return "no value";
  std::istringstream input(text);
  std::ostringstream console;
  std::ostringstream errors;
  RunIo io;
  bindConsole(io, input, console, errors);
  io.runCommand = runNoCommand;
  Value read = 0;
  bool readOne = false;
  try {
    // A null value or a slash leaves the variable as it was: a sentinel tells them apart.
    Value first = 0;
    readValue(io, first);
    Value second = 1;
    std::istringstream again(text);
    io.input = &again;
    readValue(io, second);
    readOne = first == second;
    read = first;
  } catch (const RunError&) {
    return "not a number";
  }
  if (!readOne) return "no value";
  value = read;
  return std::nullopt;
}

// The answers of one storm read from a JavaScript object, with a message for each answer that
// is not a number.
struct ReadAnswers {
  StormAnswers answers;
  std::string texts[kFieldCount];
  val problems = val::object();
  bool valid = true;
};

ReadAnswers readStormAnswers(const val& given) {
  ReadAnswers read;
  float* reals[kFieldCount] = {&read.answers.g,
                               &read.answers.depth,
                               nullptr,
                               &read.answers.fetch,
                               nullptr,
                               &read.answers.windSpeed,
                               &read.answers.durationHours,
                               &read.answers.rt,
                               &read.answers.rl,
                               &read.answers.localDepth,
                               &read.answers.angleDegrees,
                               nullptr,
                               nullptr};
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const AnswerField& field = kAnswerFields[i];
    read.texts[i] = fieldText(given, field.name);
    const bool optional = i == kBeachSlope || i == kSettlingVelocity;
    if (optional && read.texts[i].find_first_not_of(" \t") == std::string::npos) continue;
    std::optional<std::string> problem;
    if (field.kind == FieldKind::integer) {
      std::optional<std::int32_t> value;
      problem = readAnswer(read.texts[i], value);
      if (value) (i == 2 ? read.answers.fetchUnit : read.answers.speedUnit) = *value;
    } else {
      std::optional<float> value;
      problem = readAnswer(read.texts[i], value);
      if (value && reals[i] != nullptr) *reals[i] = *value;
      if (value && i == kBeachSlope) read.answers.beachSlope = *value;
      if (value && i == kSettlingVelocity) read.answers.settlingVelocity = *value;
    }
    if (problem) {
      read.problems.set(field.name, *problem);
      read.valid = false;
    }
  }
  return read;
}

// The console answers of the storm, one to a line, with the empty line that lets the pause
// before the slope go on. Without a settling velocity the run stops at the continue prompt.
std::string consoleAnswers(const ReadAnswers& read) {
  std::string text;
  for (std::size_t i = 0; i < kBeachSlope; ++i) text += read.texts[i] + "\n";
  if (!read.answers.settlingVelocity) return text + "0\n";
  text += "1\n\n";
  text += (read.answers.beachSlope ? read.texts[kBeachSlope] : std::string("/")) + "\n";
  text += read.texts[kSettlingVelocity] + "\n";
  return text;
}

std::string trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return "";
  const std::size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(start, end - start + 1));
}

const char* unitName(UnitSystem units) {
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
  return "none";
}

// Runs the whole console dialogue on the answers text and returns what it wrote.
val runConsole(const std::string& answers) {
  std::istringstream input(answers);
  std::ostringstream console;
  std::ostringstream errors;
  RunIo io;
  bindConsole(io, input, console, errors);
  io.runCommand = runNoCommand;
  const int status = runCase(io);
  val result = val::object();
  result.set("console", console.str());
  result.set("errors", errors.str());
  result.set("status", status);
  return result;
}

// One storm from its answers (an object of texts or numbers keyed by the answer names): the
// problems of the answers that are not numbers, or the storm's values (as numbers and as the
// console prints them) and its console records.
val computeStorm(val given) {
  const ReadAnswers read = readStormAnswers(given);
  val result = val::object();
  result.set("valid", read.valid);
  result.set("problems", read.problems);
  if (!read.valid) return result;

  const StormValues storm = runStorm(read.answers);
  val values = val::object();
  val texts = val::object();
  for (std::size_t i = 0; i < kStormValueCount; ++i) {
    if (!storm.present.test(i)) continue;
    values.set(kStormValueNames[i], double(storm.values[i]));
    texts.set(kStormValueNames[i], trimmed(formatReal(storm.values[i])));
  }
  result.set("values", values);
  result.set("texts", texts);
  result.set("units", std::string(unitName(storm.units)));
  result.set("limited_by", std::string(limitName(storm.limitedBy)));
  result.set("passes", storm.passes);
  result.set("error", storm.error);
  result.set("transport", read.answers.settlingVelocity.has_value());
  result.set("run", runConsole(consoleAnswers(read)));
  return result;
}

val answerNames() {
  val names = val::array();
  for (const AnswerField& field : kAnswerFields) names.call<void>("push", std::string(field.name));
  return names;
}

val valueNames() {
  val names = val::array();
  for (const char* name : kStormValueNames) names.call<void>("push", std::string(name));
  return names;
}

}  // namespace

EMSCRIPTEN_BINDINGS(littoral) {
  emscripten::function("computeStorm", &computeStorm);
  emscripten::function("runConsole", &runConsole);
  emscripten::function("answerNames", &answerNames);
  emscripten::function("valueNames", &valueNames);
}
