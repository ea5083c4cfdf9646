#pragma once

#include <string>
#include <vector>

#include "record_match.hpp"

namespace littoral {
// Answers of the two storms through the angle prompt: fetch-limited 5-hour storms, SI
// (g 9.81, depth 10 m, fetch 50 km, wind 20 m/s, Rt = RL = 1, local depth 3 m, angle 30) and
// US (g 32.2, depth 20 ft, fetch 10 miles, wind 50 ft/s, Rt 1.1, RL 1, local depth 8 ft,
// angle 20).
inline const std::string kSiStorm = "9.81\n10\n4\n50\n2\n20\n5\n1\n1\n3\n30\n";
inline const std::string kUsStorm = "32.2\n20\n3\n10\n1\n50\n5\n1.1\n1\n8\n20\n";

std::vector<Rec> concat(std::vector<Rec> first, const std::vector<Rec>& second);

// The console dialogue of the inputs, from the first prompt to the RL prompt; no unit line
// when unitLine is null, no "V mph = " line when mph has no text.
std::vector<Rec> inputDialogue(const char* unitLine, const char* density, const Rec& mph);

// The console and the report of the two storms, from the first record to the continue prompt.
std::vector<Rec> siStormConsole();
std::vector<Rec> siStormReport();
std::vector<Rec> usStormConsole();
std::vector<Rec> usStormReport();

}  // namespace littoral
