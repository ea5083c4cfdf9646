#include "numerics.hpp"
#include "transport.hpp"

namespace littoral {
namespace {

constexpr double kSecondsPerYear = 31536000;

}  // namespace

float computeClassExposure(CaseState& state, std::int32_t i) {
  const auto lower = static_cast<std::size_t>(i - 1);
  const float pHI = toSingle(exceedance(state.classHeight[lower], state.hnso));
  const float pHJ = toSingle(exceedance(state.classHeight[lower + 1], state.hnso));
  state.classExposure[lower] =
      toSingle((double(pHI) - double(pHJ)) * 100 * double(state.duration) / kSecondsPerYear);
  return toSingle(double(pHI) - double(pHJ));
}

}  // namespace littoral
