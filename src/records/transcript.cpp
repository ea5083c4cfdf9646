#include "transcript.hpp"

#include <initializer_list>
#include <utility>

#include "records.hpp"

namespace littoral {
namespace {

void write(RecordOutput& output, Channel channel, std::initializer_list<Item> items) {
  output.write(channel, layoutRecords(items));
}

void console(RecordOutput& output, std::initializer_list<Item> items) {
  write(output, Channel::console, items);
}

void report(RecordOutput& output, std::initializer_list<Item> items) {
  write(output, Channel::report, items);
}

void results(RecordOutput& output, std::initializer_list<Item> items) {
  write(output, Channel::results, items);
}

float valueOf(const ShownValues& shown, StormValue which) { return shown.storm.get(which); }

// The value of class i (1 to 4) in the run of four that starts with class 1's.
float classValue(const ShownValues& shown, StormValue classOne, std::int32_t i) {
  return shown.storm.values[static_cast<std::size_t>(classOne) + std::size_t(i - 1)];
}

void writeUnitSystem(RecordOutput& output, const CaseState& state) {
  if (state.usUnits) {
    report(output, {"US Units"});
    console(output, {"US Units"});
  }
  if (state.siUnits) {
    report(output, {"SI Units"});
    console(output, {"SI Units"});
  }
  console(output, {"Density=", state.rho});
  report(output, {"Density=", state.rho});
}

void writeGrowthLimit(RecordOutput& output, const CaseState& state, const ShownValues& shown) {
  switch (shown.storm.limitedBy) {
    case GrowthLimit::duration:
      console(output, {"Duration Limited with Feff = ", state.fetch});
      report(output, {"Duration Limited with Feff = ", state.fetch});
      break;
    case GrowthLimit::fetch:
      console(output, {"Fetch Limited  "});
      report(output, {"Fetch Limited  "});
      break;
    case GrowthLimit::none:
      break;
  }
}

void writeGrown(RecordOutput& output, const CaseState& state, const ShownValues& shown) {
  writeGrowthLimit(output, state, shown);
  report(output, {"Non-dimensional Wave Height FHs =", valueOf(shown, StormValue::FHs)});
  report(output, {"Non-dimensional Period FTs =", valueOf(shown, StormValue::FTs)});
  console(output, {"Hs and Ts ", state.hs, state.ts});
  report(output, {"Significant Wave height Hs (ft or m) = ", state.hs});
  report(output, {"Significant Wave Period Ts (s) = ", state.ts});
}

void writeOffshoreWave(RecordOutput& output, const CaseState& state, const ShownValues& shown) {
  for (const Channel channel : {Channel::console, Channel::report}) {
    write(output, channel, {"Deep wave length and celerity (Lo,Co) ", state.lo, state.co});
  }
  for (const Channel channel : {Channel::console, Channel::report}) {
    write(output, channel, {"Wave length and celerity (L1,C1)", state.l1, state.c1});
  }
  console(output, {"Approximate surf depth = ", valueOf(shown, StormValue::surfDepth)});
  console(output, {" "});
}

void writeLocalWave(RecordOutput& output, const CaseState& state, const ShownValues& shown) {
  const float krLocal = valueOf(shown, StormValue::krLocal);
  for (const Channel channel : {Channel::console, Channel::report}) {
    write(output, channel, {"Local wave length and height ", state.localLength, state.localHeight});
    write(output, channel,
          {"Local wave height and celerity ", state.localHeight, state.localCelerity});
    write(output, channel,
          {"Group Ratio, Ks and Kr (Local) ", state.groupRatio, state.ksLocal, krLocal});
    write(output, channel, {"Breaking Wave height ", state.breakLimitHeight});
  }
}

void writeHeightRow(RecordOutput& output, Channel channel, const char* label,
                    const ShownValues& shown, StormValue hrms) {
  const auto at = [&](std::size_t offset) {
    return shown.storm.values[static_cast<std::size_t>(hrms) + offset];
  };
  write(output, channel, {label, at(0), at(1), at(2), at(3)});
}

void writeHeightStatistics(RecordOutput& output, const CaseState& state, const ShownValues& shown) {
  console(output, {"-    Hrms,            Hs,           H10,          H1  "});
  report(output, {"-    Hrms,            Hs,           H10,          H1"});
  writeHeightRow(output, Channel::console, "Offshore", shown, StormValue::offshoreHrms);
  writeHeightRow(output, Channel::report, "Offshore", shown, StormValue::offshoreHrms);
  writeHeightRow(output, Channel::console, "Local   ", shown, StormValue::localHrms);
  console(output, {"Hnso =", state.hnso, state.deepHeight});
  writeHeightRow(output, Channel::report, "Local ", shown, StormValue::localHrms);
}

void writeStormTotals(RecordOutput& output, const ShownValues& shown) {
  console(output, {"****************"});
  console(output, {"****************"});
  const float surfCurrent = valueOf(shown, StormValue::surfCurrent);
  const float stormTotal = valueOf(shown, StormValue::stormTransport);
  results(output, {"MAXIMUM SURF CURRENT ft/sec or m/s = ", surfCurrent});
  console(output, {"Surf Current ft/sec or m/s =", surfCurrent});
  console(output, {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", stormTotal});
  results(output, {" LONG SHORE RATE FOR THIS STORM yd3 or m3 = ", stormTotal});
}

}  // namespace

void writePrompt(RecordOutput& output, Question question) {
  switch (question) {
    case Question::gravity:
      return console(output, {"g ="});
    case Question::offshoreDepth:
      return console(output, {"Offshore Depth = ft or m"});
    case Question::fetchUnit:
      return console(output, {"Enter Fetch Units:ft=1;m=2;miles=3;km=4;kml=5"});
    case Question::fetch:
      return console(output, {"Fetch = "});
    case Question::speedUnit:
      return console(output, {"Enter Speed Units:ft/sec=1;m/s=2;mph=3;km/h=4;knots=5"});
    case Question::windSpeed:
      return console(output, {"Speed = "});
    case Question::durationHours:
      return console(output, {"Duration = hr "});
    case Question::stabilityFactor:
      return console(output, {"Rt stability factor = "});
    case Question::seaLandFactor:
      return console(output, {"RL sea/land factor = "});
    case Question::localDepth:
      return console(output, {"Local depth d near surf zone = "});
    case Question::angleDegrees:
      return console(output, {"Alfa (degrees) = "});
    case Question::continueAnswer:
      return console(output, {"Enter 1 to continue or any other key to terminate"});
    case Question::beachSlope:
      return console(output, {"slope of beach ="});
    case Question::settlingVelocity:
      return console(output, {"settling velocity for beach material (cm/s) ="});
  }
}

void writeEcho(RecordOutput& output, Question question, float answer) {
  switch (question) {
    case Question::offshoreDepth:
      return report(output, {"Offshore Depth = ft or m ", answer});
    case Question::durationHours:
      return report(output, {"Duration = hr ", answer});
    case Question::stabilityFactor:
      return report(output, {"Rt stability factor = ", answer});
    case Question::seaLandFactor:
      return report(output, {"RL sea/land factor = ", answer});
    case Question::localDepth:
      return report(output, {"Local depth d near surf zone = ", answer});
    case Question::angleDegrees:
      console(output, {"Alfa = ", answer});
      return report(output, {"Offshore Angle Alfa = ", answer});
    default:
      return;  // echoed once converted, or not at all
  }
}

void writeStepRecords(RecordOutput& output, Step step, const CaseState& state,
                      const ShownValues& shown, std::int32_t heightClass) {
  switch (step) {
    case Step::inputsBegin:
      return report(output, {"REPORT"});
    case Step::unitSystem:
      return writeUnitSystem(output, state);
    case Step::fetchConverted:
      return report(output, {"Fetch = ft or m ", state.fetch});
    case Step::speedConverted:
      report(output, {"Speed = ft/sec or m/s ", state.windSpeed});
      if (!(state.g > 30)) console(output, {"V mph = ", shown.speedMph});
      return;
    case Step::windSetup:
      for (const auto& [text, value] : {std::pair{"Setup in feet = ", StormValue::setupFeet},
                                        std::pair{"Setup in m = ", StormValue::setupMeters}}) {
        console(output, {text, valueOf(shown, value)});
        report(output, {text, valueOf(shown, value)});
      }
      return;
    case Step::adjustedSpeed:
      console(output, {"Ua = ", state.ua});
      return report(output, {"Stress Ua = ", state.ua});
    case Step::growthPass: {
      const float Fd = valueOf(shown, StormValue::Fd);
      const float FF = valueOf(shown, StormValue::FF);
      const float Ftd = valueOf(shown, StormValue::Ftd);
      console(output, {"Fd, FF, Ftd =", Fd, FF, Ftd});
      report(output, {"Non-dimensional depth Fd", Fd});
      report(output, {"Non-dimensional fetch FF", FF});
      return report(output, {"Non-dimensional duration Ftd", Ftd});
    }
    case Step::grown:
      return writeGrown(output, state, shown);
    case Step::offshoreShoaling:
      return console(output, {"ks =", state.ks});
    case Step::offshoreWave:
      return writeOffshoreWave(output, state, shown);
    case Step::offshoreSine:
      return console(output,
                     {"s1,co,c1,so", valueOf(shown, StormValue::s1), state.co, state.c1, state.so});
    case Step::deepAngle: {
      const float aorDegrees = valueOf(shown, StormValue::deepAngle);
      console(output, {"AOR =", state.aor});
      console(output, {" DEEP WATER WAVE ANGLE =  ", aorDegrees});
      return report(output, {" EFFECTIVE DEEP WATER WAVE ANGLE =  ", aorDegrees});
    }
    case Step::deepHeight:
      console(output, {" Ks AND Kr = ", state.ks, state.kr});
      report(output, {" DEEP WATER WAVE HEIGHT = ", state.deepHeight});
      return report(output, {"EFFECTIVE DEEP WATER WAVE HEIGHT = ", state.deepHeight});
    case Step::localAngle:
      console(output, {"Local angle = ", state.localAngleDegrees});
      return report(output, {"Local angle = ", state.localAngleDegrees});
    case Step::localWave:
      return writeLocalWave(output, state, shown);
    case Step::heightStatistics:
      return writeHeightStatistics(output, state, shown);
    case Step::transportBegins:
      return console(output, {"---LONG SHORE TRANSPORT RATE---"});
    case Step::classExposure:
      console(output, {"--  HI  to  HJ -->  %Pr "});
      return console(output,
                     {"##.##    ", heightClass, state.classExposure[std::size_t(heightClass - 1)],
                      state.duration, classValue(shown, StormValue::classShare1, heightClass)});
    case Step::transportFactor:
      return console(output, {shown.siRateFactor});
    case Step::kpls:
      return console(output, {"Kpls, rho =", valueOf(shown, StormValue::kpls), state.rho});
    case Step::classTransport:
      return console(output, {heightClass, state.classExposure[std::size_t(heightClass - 1)],
                              classValue(shown, StormValue::classRate1, heightClass),
                              classValue(shown, StormValue::classHeight1, heightClass),
                              classValue(shown, StormValue::classFlux1, heightClass)});
    case Step::stormTotals:
      return writeStormTotals(output, shown);
  }
}

bool pausesAfter(Step step) { return step == Step::transportFactor || step == Step::stormTotals; }

namespace {

// Answers from a storm's answers and keeps the records in memory.
class Transcriber final : public RecordOutput {
 public:
  static constexpr bool kShowsEveryGrowthPass = true;

  explicit Transcriber(const StormAnswers& answers, StormTranscript& transcript)
      : answers_(answers), transcript_(transcript) {}

  void ask(Question question, float& answer) {
    writePrompt(*this, question);
    answerFrom(answers_, question, answer);
    writeEcho(*this, question, answer);
  }
  void ask(Question question, std::int32_t& answer) {
    writePrompt(*this, question);
    answerFrom(answers_, question, answer);
  }
  void reached(Step step, const CaseState& state, const ShownValues& shown,
               std::int32_t heightClass) {
    writeStepRecords(*this, step, state, shown, heightClass);
    if (pausesAfter(step)) transcript_.console += kPausePrompt;
  }
  void write(Channel channel, std::string_view records) override {
    switch (channel) {
      case Channel::console:
        transcript_.console += records;
        return;
      case Channel::report:
        transcript_.report += records;
        return;
      case Channel::results:
        transcript_.results += records;
        return;
    }
  }

 private:
  const StormAnswers& answers_;
  StormTranscript& transcript_;
};

}  // namespace

StormTranscript transcribeStorm(const StormAnswers& answers) {
  StormTranscript transcript;
  CaseState state;
  ShownValues shown;
  Transcriber transcriber(answers, transcript);
  runStages(state, shown, transcriber);
  transcript.values = std::move(shown.storm);
  return transcript;
}

}  // namespace littoral
