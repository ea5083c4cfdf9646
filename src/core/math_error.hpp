#pragma once

#include <string>

namespace littoral {
// The error of a math library function (a square root of a negative number, an exponential
// beyond the double range): it ends the storm, whichever front end runs it.
struct MathError {
  std::string message;  // e.g. "math error 6201: sqrt: DOMAIN error"
};

enum class MathErrorKind { domain = 1, singularity, overflow, underflow, totalLoss, partialLoss };

// Throws the MathError of the function and the kind.
[[noreturn]] void raiseMathError(const char* function, MathErrorKind kind);

}  // namespace littoral
