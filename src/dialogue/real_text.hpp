#pragma once

#include <string>

// A real as the console prints it, without the blanks of its 15 positions: 2.161426,
// 2.6506891E-02, 1234567., NaN, -Infinity.

// The longest such text: a sign and 14 characters.
inline constexpr int kRealTextSize = 15;

// Writes the text at `at` (room for kRealTextSize characters) and returns its end.
char* writeRealText(char* at, float value);

// Appends the text.
void appendRealText(std::string& out, float value);
