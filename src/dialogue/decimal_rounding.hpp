#pragma once

#include <cstdint>
#include <optional>

// A positive single rounded to a number of significant decimal digits: digits x 10^(exponent -
// significantDigits + 1), with digits in [10^(significantDigits-1), 10^significantDigits). The
// exact binary value is rounded to nearest, ties to even, as printf rounds it.
struct RoundedDecimal {
  std::uint64_t digits;
  int exponent;  // of the first digit
};

// Exact integer rounding of magnitudes from 1e-6 to 1e12 to 7 or 8 digits; nothing outside
// that range, which the caller formats the slow way.
std::optional<RoundedDecimal> roundToDigits(float magnitude, int significantDigits);
