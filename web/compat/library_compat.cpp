#include "library_compat.hpp"

#include <poll.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace std {

#if defined(LITTORAL_COMPAT_TO_CHARS)
to_chars_result to_chars(char* first, char* last, double value, chars_format format,
                         int precision) {
  const char* pattern = format == chars_format::fixed ? "%.*f" : "%.*e";
  char buffer[400];  // the widest %f of a double with a few decimals
  const int length = std::snprintf(buffer, sizeof buffer, pattern, precision, value);
  if (length < 0 || length >= int(sizeof buffer) || length > last - first) {
    return {last, errc::value_too_large};
  }
  for (int i = 0; i < length; ++i) first[i] = buffer[i];
  return {first + length, errc()};
}
#endif

#if defined(LITTORAL_COMPAT_FROM_CHARS)
namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The end of the longest decimal number at the start of [first, last): an optional minus, digits
// with an optional point (at least one digit), an optional exponent that has digits.
const char* decimalEnd(const char* first, const char* last) {
  const char* at = first;
  if (at < last && *at == '-') ++at;
  const char* digitsStart = at;
  while (at < last && isDigit(*at)) ++at;
  std::ptrdiff_t digits = at - digitsStart;
  if (at < last && *at == '.') {
    const char* fractionStart = ++at;
    while (at < last && isDigit(*at)) ++at;
    digits += at - fractionStart;
  }
  if (digits == 0) return first;
  if (at < last && (*at == 'e' || *at == 'E')) {
    const char* exponent = at + 1;
    if (exponent < last && (*exponent == '+' || *exponent == '-')) ++exponent;
    const char* exponentDigits = exponent;
    while (exponent < last && isDigit(*exponent)) ++exponent;
    if (exponent > exponentDigits) at = exponent;
  }
  return at;
}

template <typename Real, typename Convert>
from_chars_result fromDecimal(const char* first, const char* last, Real& value, Convert convert) {
  const char* end = decimalEnd(first, last);
  if (end == first) return {first, errc::invalid_argument};
  const std::string text(first, end);
  errno = 0;
  const Real converted = convert(text.c_str());
  if (errno == ERANGE) return {end, errc::result_out_of_range};
  value = converted;
  return {end, errc()};
}

}  // namespace

from_chars_result from_chars(const char* first, const char* last, float& value, chars_format) {
  return fromDecimal(first, last, value,
                     [](const char* text) { return std::strtof(text, nullptr); });
}

from_chars_result from_chars(const char* first, const char* last, double& value, chars_format) {
  return fromDecimal(first, last, value,
                     [](const char* text) { return std::strtod(text, nullptr); });
}
#endif

}  // namespace std

// emscripten's C library declares ppoll but lacks it. A page has no signals to let through while
// it waits, so it is poll with the timeout in milliseconds.
extern "C" int ppoll(struct pollfd* fds, nfds_t count, const struct timespec* timeout,
                     const sigset_t*) {
  const int milliseconds =
      timeout == nullptr ? -1 : int(timeout->tv_sec * 1000 + timeout->tv_nsec / 1000000);
  return poll(fds, count, milliseconds);
}
