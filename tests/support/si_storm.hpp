#pragma once

#include "littoral/storm.hpp"

namespace littoral {

// The worked SI storm: g 9.81, offshore depth 10 m, fetch 50 km, wind 20 m/s, Rt and RL 1,
// local depth 3 m, angle 30 degrees, without the transport.
inline StormAnswers siStorm(float durationHours) {
  StormAnswers answers;
  answers.g = 9.81f;
  answers.depth = 10;
  answers.fetchUnit = 4;
  answers.fetch = 50;
  answers.speedUnit = 2;
  answers.windSpeed = 20;
  answers.durationHours = durationHours;
  answers.rt = 1;
  answers.rl = 1;
  answers.localDepth = 3;
  answers.angleDegrees = 30;
  return answers;
}

}  // namespace littoral
