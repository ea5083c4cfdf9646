#pragma once

#include <string>

// A real as the console prints it, without the blanks of its 15 positions: 2.161426,
// 2.6506891E-02, 1234567., NaN, -Infinity.

namespace littoral {

// The longest such text: a sign and 14 characters.
inline constexpr int kRealTextSize = 15;

// Writes the text at `at` (room for kRealTextSize characters) and returns its end.
char* writeRealText(char* at, float value);

// The two ways of writeRealText. The quick way scales the magnitude to eight digits in double
// precision and returns null where that cannot settle the rounding (a subnormal, a scale beyond
// the powers of ten a double holds exactly, a digit too near a half); the exact way rounds the
// exact binary value as printf does, ties to even. Neither gives zero its unsigned text.
char* writeRealTextQuickly(char* at, float value);
char* writeRealTextExactly(char* at, float value);

// A real as a warning shows it, to four significant digits as printf's %.4g writes it: 2.749,
// 10, 0.0125, 1.5e+04. The text is at most kRoughTextSize characters; the quick way returns
// null where scaling cannot settle the rounding (zero, a size beyond about 1e-19 to 1e25, a
// digit too near a half).
inline constexpr int kRoughTextSize = 24;
char* writeRoughText(char* at, double value);
char* writeRoughTextQuickly(char* at, double value);

// Appends the text.
void appendRealText(std::string& out, float value);

}  // namespace littoral
