#include "library_compat.hpp"

#include <cmath>
#include <cstdio>

#if defined(LITTORAL_COMPAT_FROM_CHARS)
#include <fast_float.h>
#endif

#include "shortest_float.hpp"

namespace std {

#if defined(LITTORAL_COMPAT_TO_CHARS)
to_chars_result to_chars(char* first, char* last, double value, chars_format format,
                         int precision) {
  const char* pattern = format == chars_format::fixed        ? "%.*f"
                        : format == chars_format::scientific ? "%.*e"
                                                             : "%.*g";
  char buffer[400];  // the widest %f of a double with a few decimals
  const int length = std::snprintf(buffer, sizeof buffer, pattern, precision, value);
  if (length < 0 || length >= int(sizeof buffer) || length > last - first) {
    return {last, errc::value_too_large};
  }
  for (int i = 0; i < length; ++i) first[i] = buffer[i];
  return {first + length, errc()};
}

to_chars_result to_chars(char* first, char* last, float value) {
  return littoral_compat::writeShortest(first, last, value);
}

to_chars_result to_chars(char* first, char* last, double value) {
  return littoral_compat::writeShortest(first, last, value);
}
#endif

#if defined(LITTORAL_COMPAT_FROM_CHARS)
namespace {

bool spellsInfinity(const char* first, const char* last) {
  if (first < last && *first == '-') ++first;
  return first < last && (*first == 'i' || *first == 'I');
}

bool hasNonZeroDigit(const char* first, const char* last) {
  for (; first < last && *first != 'e' && *first != 'E'; ++first) {
    if (*first >= '1' && *first <= '9') return true;
  }
  return false;
}

// fast_float, the conversion that GCC's own library uses for from_chars, correctly rounded; it
// rounds a number beyond the range to an infinity or a zero, which from_chars reports instead.
template <typename Real>
from_chars_result fromChars(const char* first, const char* last, Real& value) {
  Real converted = 0;
  const fast_float::from_chars_result result = fast_float::from_chars(first, last, converted);
  if (result.ec != errc()) return {first, errc::invalid_argument};
  if ((std::isinf(converted) && !spellsInfinity(first, result.ptr)) ||
      (converted == 0 && hasNonZeroDigit(first, result.ptr))) {
    return {result.ptr, errc::result_out_of_range};
  }
  value = converted;
  return {result.ptr, errc()};
}

}  // namespace

from_chars_result from_chars(const char* first, const char* last, float& value, chars_format) {
  return fromChars(first, last, value);
}

from_chars_result from_chars(const char* first, const char* last, double& value, chars_format) {
  return fromChars(first, last, value);
}
#endif

}  // namespace std
