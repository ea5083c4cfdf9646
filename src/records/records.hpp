#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace littoral {
// One item of an output statement: a text written as it stands, an integer in 12 positions or
// a real in the 15 positions of formatReal.
struct Item {
  enum class Kind { text, integer, real };

  Item(const char* value) : kind(Kind::text), text(value) {}
  Item(std::int32_t value) : kind(Kind::integer), integer(value) {}
  Item(float value) : kind(Kind::real), real(value) {}
  Item(double value) = delete;  // a real item is a stored single: round it where it is stored

  Kind kind;
  std::string_view text;
  std::int32_t integer = 0;
  float real = 0;
};

// A real in 15 positions with seven significant digits, decided on the exact binary value:
//   1000.0f        -> "   1000.000    "
//   1234567.0f     -> "   1234567.    "
//   0.5f           -> "  0.5000000    "
//   0.1f           -> "  0.1000000    "
//   0.099999994f   -> "  9.9999994E-02"
//   10000000.0f    -> "  1.0000000E+07"
//   0.0f, -0.0f    -> "  0.0000000E+00"
//   -infinity      -> "      -Infinity"
std::string formatReal(float value);

// An integer right-justified in 12 positions.
std::string formatInteger(std::int32_t value);

// The records of one output statement, each with its leading blank and ended by CR LF. An item
// that does not fit in the 80 positions of a record starts the next one.
std::string layoutRecords(std::initializer_list<Item> items);

}  // namespace littoral
