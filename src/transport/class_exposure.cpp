#include "numerics.hpp"
#include "records.hpp"
#include "transport.hpp"

namespace {

constexpr double kSecondsPerYear = 31536000;

}  // namespace

void computeClassExposure(CaseState& state, RunIo& io) {
  writeRecord(io.console, {"---LONG SHORE TRANSPORT RATE---"});
  for (std::int32_t i = 1; i <= 4; ++i) {
    const auto lower = static_cast<std::size_t>(i - 1);
    const float pHI = toSingle(exceedance(state.classHeight[lower], state.hnso));
    const float pHJ = toSingle(exceedance(state.classHeight[lower + 1], state.hnso));
    state.classExposure[lower] =
        toSingle((double(pHI) - double(pHJ)) * 100 * double(state.duration) / kSecondsPerYear);
    writeRecord(io.console, {"--  HI  to  HJ -->  %Pr "});
    writeRecord(io.console, {"##.##    ", i, state.classExposure[lower], state.duration,
                             toSingle(double(pHI) - double(pHJ))});
  }
}
