#pragma once

// What the C++ library of the WebAssembly build (emscripten's libc++ 13) lacks of C++20 and
// the computations use: std::bit_cast, and the floating-point conversions of <charconv>. Given
// to every source of that build with -include; a library that has them keeps its own.
#include <charconv>
#include <version>

#if !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {
template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
         is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#define LITTORAL_COMPAT_TO_CHARS 1
namespace std {
// The digits of printf's %.*e, %.*f or %.*g: the exact binary value rounded to nearest.
to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision);
// The shortest decimal that reads back as the same single, in the plain or the exponent form,
// whichever is shorter (the plain one on a tie): 9.81, 1e-30, 1e+06, 123456.
to_chars_result to_chars(char* first, char* last, float value);
to_chars_result to_chars(char* first, char* last, double value);
}  // namespace std
#endif

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 200000
#define LITTORAL_COMPAT_FROM_CHARS 1
namespace std {
// A number in the grammar of from_chars (no plus sign, no blanks), to the nearest value;
// result_out_of_range, with the value untouched, when it overflows or underflows to zero.
from_chars_result from_chars(const char* first, const char* last, float& value,
                             chars_format format = chars_format::general);
from_chars_result from_chars(const char* first, const char* last, double& value,
                             chars_format format = chars_format::general);
}  // namespace std
#endif
