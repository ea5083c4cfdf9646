#pragma once

// The shortest decimal of a single or a double, as the C++ library's to_chars writes it: the
// fewest significant digits that read back as the same number (the nearest such decimal: printf's
// correctly rounded %.*e at that many digits), in the plain form or the exponent form, whichever
// is shorter, the plain one on a tie; a whole number in the plain form has all its digits. Written
// for a library that lacks it; the native build checks it against its own library's
// (tests/text/shortest_float_test.cpp).
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace littoral_compat {

// A decimal read back as a single or a double, and its distance to the value, computed wide
// enough to tell the nearer of two decimals a unit apart in their last digit.
inline float readBack(const char* text, float) { return std::strtof(text, nullptr); }
inline double readBack(const char* text, double) { return std::strtod(text, nullptr); }
inline double distanceTo(const char* text, float value) {
  return std::fabs(std::strtod(text, nullptr) - double(value));
}
inline long double distanceTo(const char* text, double value) {
  return std::fabs(std::strtold(text, nullptr) - static_cast<long double>(value));
}

// The most significant digits a shortest decimal of Real needs.
template <class Real>
inline constexpr int kMostDigits = sizeof(Real) == sizeof(float) ? 9 : 17;

inline std::to_chars_result writeText(char* first, char* last, const char* text, int length) {
  if (length > last - first) return {last, std::errc::value_too_large};
  std::memcpy(first, text, std::size_t(length));
  return {first + length, std::errc()};
}

// Replaces the decimal d.ddde[+-]xx by the one a unit in its last digit away, on either side,
// that reads back as the value, the nearer of the two to it; false when neither does.
template <class Real>
bool nextDecimalReadsBack(char* exponentForm, int digits, Real value) {
  const char* e = std::strchr(exponentForm, 'e');
  const bool negative = exponentForm[0] == '-';
  long long significand = 0;
  for (const char* c = exponentForm + (negative ? 1 : 0); c < e; ++c) {
    if (*c != '.') significand = significand * 10 + (*c - '0');
  }
  const int exponent = std::atoi(e + 1);
  char best[48] = "";
  auto bestDistance = distanceTo("inf", value);
  for (const long long step : {-1LL, 1LL}) {
    long long candidate = significand + step;
    long long limit = 1;
    for (int i = 1; i < digits; ++i) limit *= 10;
    if (candidate < limit || candidate >= limit * 10) continue;
    char text[48];
    std::snprintf(text, sizeof text, "%s%llde%d", negative ? "-" : "", candidate,
                  exponent - digits + 1);
    if (readBack(text, value) != value) continue;
    const auto distance = distanceTo(text, value);
    if (distance >= bestDistance) continue;
    bestDistance = distance;
    // Back to d.ddde[+-]xx.
    char digitsText[24];
    std::snprintf(digitsText, sizeof digitsText, "%lld", candidate);
    std::snprintf(best, sizeof best, "%s%c%s%se%c%02d", negative ? "-" : "", digitsText[0],
                  digits > 1 ? "." : "", digitsText + 1, exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
  }
  if (best[0] == '\0') return false;
  std::snprintf(exponentForm, 48, "%s", best);
  return true;
}

template <class Real>
std::to_chars_result writeShortest(char* first, char* last, Real value) {
  if (std::isnan(value))
    return writeText(first, last, std::signbit(value) ? "-nan" : "nan",
                     std::signbit(value) ? 4 : 3);
  if (std::isinf(value))
    return writeText(first, last, value < 0 ? "-inf" : "inf", value < 0 ? 4 : 3);
  if (value == 0)
    return writeText(first, last, std::signbit(value) ? "-0" : "0", std::signbit(value) ? 2 : 1);
  // The fewest digits that read back: printf's nearest d.ddde[+-]xx, or at a power of two,
  // where the singles below are closer together, the decimal next to it.
  char exponentForm[48];
  for (int digits = 1; digits <= kMostDigits<Real>; ++digits) {
    std::snprintf(exponentForm, sizeof exponentForm, "%.*e", digits - 1, double(value));
    if (readBack(exponentForm, value) == value) break;
    if (nextDecimalReadsBack(exponentForm, digits, value)) break;
  }
  const char* at = exponentForm;
  const bool negative = *at == '-';
  if (negative) ++at;
  char significand[24];
  int count = 0;
  for (; *at != 'e'; ++at) {
    if (*at != '.') significand[count++] = *at;
  }
  const int exponent = std::atoi(at + 1);
  // The exponent form: d[.ddd]e+xx, at least two exponent digits.
  char scientific[32];
  int scientificLength =
      std::snprintf(scientific, sizeof scientific, "%s%c%s%.*se%c%02d", negative ? "-" : "",
                    significand[0], count > 1 ? "." : "", count - 1, significand + 1,
                    exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
  // The plain form: the digits with the point, or zeros, where the exponent puts them.
  char plain[400];  // a double's widest whole number or smallest fraction
  int plainLength = 0;
  if (negative) plain[plainLength++] = '-';
  if (exponent < 0) {
    plain[plainLength++] = '0';
    plain[plainLength++] = '.';
    for (int i = 0; i < -exponent - 1; ++i) plain[plainLength++] = '0';
    for (int i = 0; i < count; ++i) plain[plainLength++] = significand[i];
  } else if (exponent >= count - 1) {
    // A whole number is written with all its digits, as printf's %.0f writes it.
    plainLength += std::snprintf(plain + plainLength, sizeof plain - std::size_t(plainLength),
                                 "%.0f", std::fabs(double(value)));
  } else {
    for (int i = 0; i < count; ++i) {
      if (i == exponent + 1) plain[plainLength++] = '.';
      plain[plainLength++] = significand[i];
    }
  }
  if (plainLength <= scientificLength) return writeText(first, last, plain, plainLength);
  return writeText(first, last, scientific, scientificLength);
}

}  // namespace littoral_compat
