#include "decimal_rounding.hpp"

#include <array>
#include <bit>
#include <cmath>

namespace {

__extension__ typedef unsigned __int128 Wide;  // GCC and clang both have it

constexpr auto kPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

// 10^n for n up to 19; the fast range needs no more.
constexpr std::uint64_t powerOfTen(int n) { return kPowersOfTen[std::size_t(n)]; }

// floor(value / 10^scale) and whether the rest is below, at or above one half, for value =
// mantissa 2^binaryExponent. Within the fast range every term fits in 128 bits.
struct Quotient {
  Wide whole;
  int half;  // -1 below one half, 0 exactly one half, 1 above
};

Quotient divideByPowerOfTen(std::uint32_t mantissa, int binaryExponent, int scale) {
  Wide numerator = mantissa;
  Wide denominator = 1;
  if (binaryExponent >= 0) {
    numerator <<= binaryExponent;
  } else {
    denominator <<= -binaryExponent;
  }
  if (scale <= 0) {
    numerator *= powerOfTen(-scale);
  } else {
    denominator *= powerOfTen(scale);
  }
  if ((numerator >> 62) == 0 && (denominator >> 62) == 0) {
    // The common case, in 64 bits: a wide division costs several times more.
    const auto narrowNumerator = static_cast<std::uint64_t>(numerator);
    const auto narrowDenominator = static_cast<std::uint64_t>(denominator);
    const std::uint64_t twice = narrowNumerator % narrowDenominator * 2;
    return {narrowNumerator / narrowDenominator,
            twice < narrowDenominator ? -1 : (twice == narrowDenominator ? 0 : 1)};
  }
  const Wide twice = numerator % denominator * 2;
  return {numerator / denominator, twice < denominator ? -1 : (twice == denominator ? 0 : 1)};
}

}  // namespace

std::optional<RoundedDecimal> roundToDigits(float magnitude, int significantDigits) {
  if (!(magnitude >= 1e-6f && magnitude < 1e12f)) return std::nullopt;
  const auto bits = std::bit_cast<std::uint32_t>(magnitude);
  const std::uint32_t mantissa = (bits & 0x7fffffu) | 0x800000u;  // the range holds no subnormal
  const int binaryExponent = int(bits >> 23) - 150;

  const std::uint64_t lowest = powerOfTen(significantDigits - 1);
  const std::uint64_t limit = powerOfTen(significantDigits);
  int exponent = static_cast<int>(std::floor(std::log10(double(magnitude))));
  for (;;) {
    const Quotient quotient =
        divideByPowerOfTen(mantissa, binaryExponent, exponent - significantDigits + 1);
    if (quotient.whole >= limit) {
      ++exponent;  // the logarithm's estimate was one low
      continue;
    }
    if (quotient.whole < lowest) {
      --exponent;  // or one high
      continue;
    }
    auto digits = static_cast<std::uint64_t>(quotient.whole);
    if (quotient.half > 0 || (quotient.half == 0 && digits % 2 == 1)) ++digits;
    if (digits == limit) return RoundedDecimal{lowest, exponent + 1};  // 9.9999995 -> 10.00000
    return RoundedDecimal{digits, exponent};
  }
}
