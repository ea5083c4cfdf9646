#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The texts of a storm's reals all at once, each as writeRealText writes it: four side by side
// where the processor has AVX2, one at a time elsewhere.

namespace littoral {

inline constexpr std::size_t kMaxRealTexts = 72;

// A text of each real in a slot of 16 characters (a text has at most 15), with its length.
struct RealTexts {
  std::array<std::array<char, 16>, kMaxRealTexts> text;
  std::array<std::uint8_t, kMaxRealTexts> length;
};

// Whether this build has the side-by-side way and this processor runs it.
bool runsRealTextLanes();

// Writes the text of values[i] into slot i, for i below count (at most kMaxRealTexts): side by
// side where `lanes` is true and the processor runs that way, else one at a time.
void writeRealTexts(const float* values, std::size_t count, RealTexts& texts, bool lanes = true);

}  // namespace littoral
