#include "math_error.hpp"

namespace littoral {
void raiseMathError(const char* function, MathErrorKind kind) {
  static const char* const kindNames[] = {"DOMAIN",    "SING",  "OVERFLOW",
                                          "UNDERFLOW", "TLOSS", "PLOSS"};
  const int index = static_cast<int>(kind);
  throw MathError{"math error " + std::to_string(6200 + index) + ": " + function + ": " +
                  kindNames[index - 1] + " error"};
}

}  // namespace littoral
