#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The texts of a storm's reals all at once, each as writeRealText writes it: eight side by side
// where the processor has AVX-512, four where it has AVX2, one at a time elsewhere.

namespace littoral {

inline constexpr std::size_t kMaxRealTexts = 72;

// A text of each real in a slot of 16 characters (a text has at most 15), with its length.
struct RealTexts {
  std::array<std::array<char, 16>, kMaxRealTexts> text;
  std::array<std::uint8_t, kMaxRealTexts> length;
};

enum class RealTextWay {
  oneAtATime,  // writeRealText
  avx2,        // four side by side
  avx512,      // eight side by side
};

// Whether this build has the way and this processor runs it.
bool runsRealTextWay(RealTextWay way);

// The widest way this processor runs; chosen once.
RealTextWay bestRealTextWay();

// Writes the text of values[i] into slot i, for i below count (at most kMaxRealTexts), by the
// given way, which must run here; or by the best way.
void writeRealTexts(const float* values, std::size_t count, RealTexts& texts, RealTextWay way);
void writeRealTexts(const float* values, std::size_t count, RealTexts& texts);

}  // namespace littoral
