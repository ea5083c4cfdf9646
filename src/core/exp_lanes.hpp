#pragma once

#include <atomic>
#include <cstddef>

// Exponentials of many arguments at once, each bit for bit the double that std::exp gives.
//
// Where the C library is glibc on x86-64 and picks its exp for processors with FMA and AVX2, the
// vector ways run glibc's own algorithm (a table of 2^(k/128) and a polynomial, with the same
// fused multiply-adds in the same order) on 4 or 8 arguments a step; an argument outside the
// algorithm's main path (below 2^-54 or from 512 up in size, infinities, NaNs) is left to
// std::exp. A way is only used after it has given std::exp's bits on a set of arguments that
// reaches every entry of the table, the polynomial's range and the ends of the main path.

namespace littoral {

enum class ExpLanes {
  scalar,  // std::exp, one argument at a time
  avx2,    // four at a time
  avx512,  // eight at a time
};

// Whether this build has the way and this processor runs it.
bool runsExpLanes(ExpLanes way);

// The widest way this processor runs that agrees with std::exp; chosen once.
ExpLanes bestExpLanes();

// y[i] = std::exp(x[i]) for i below count, by the given way, which must run here. Returns the
// count of arguments that were left to std::exp (every one for the scalar way).
std::size_t expEach(ExpLanes way, const double* x, double* y, std::size_t count);

// y[i] = std::exp(x[i]) for i below count, by the best way.
void expEach(const double* x, double* y, std::size_t count);

namespace exp_detail {
using ExpOfOne = double (*)(double);
// The way expOf takes, chosen on its first call (any thread may choose it; each chooses the
// same).
extern std::atomic<ExpOfOne> chosenExpOfOne;
double expOfFirst(double x);
}  // namespace exp_detail

// Whether expOf takes the lane's steps here: where a vector way runs and the steps gave
// std::exp's bits on the ways' check.
bool expOfTakesLaneSteps();

// std::exp(x), bit for bit: where a vector way runs here, by the lane's steps on one argument
// (without the library's call and its checks for errno), else by std::exp.
inline double expOf(double x) {
  const exp_detail::ExpOfOne exp = exp_detail::chosenExpOfOne.load(std::memory_order_relaxed);
  return exp != nullptr ? exp(x) : exp_detail::expOfFirst(x);
}

}  // namespace littoral
