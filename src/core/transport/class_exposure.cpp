#include "numerics.hpp"
#include "transport.hpp"

namespace littoral {

float classBoundExceedance(const CaseState& state, std::int32_t i) {
  return toSingle(exceedance(state.classHeight[std::size_t(i)], state.hnso));
}

float computeClassExposure(CaseState& state, std::int32_t i, float pHI, float pHJ) {
  const auto lower = static_cast<std::size_t>(i - 1);
  state.classExposure[lower] =
      toSingle((double(pHI) - double(pHJ)) * 100 * double(state.duration) / kSecondsPerYear);
  return toSingle(double(pHI) - double(pHJ));
}

}  // namespace littoral
