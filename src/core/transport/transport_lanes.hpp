#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "case_state.hpp"
#include "littoral/storm.hpp"
#include "numerics.hpp"

// The height classes' exposure and the longshore transport of eight storms at once, each lane
// as exposeHeightClasses, and computeKpls, computeFluxTerms, computeClassTransport and the
// storm's totals, work them for one storm, bit for bit: the same square roots, products,
// quotients and conversions to single in vector lanes, the exps of the exp lanes, the powers
// from square roots and the sines from the vector values asked, each stored at both ends of its
// margin.

namespace littoral {

// What the transport stores for a storm.
struct LongshoreTransport {
  float kpls = 0;
  std::array<float, 4> classRate{};
  std::array<float, 4> classHeight{};
  std::array<float, 4> classFlux{};
  std::array<float, 4> classTransportM3{};
  float surfCurrent = 0;
  float stormTransport = 0;
  float stormTransportM3 = 0;
};

// A storm whose transport inputs are read, with the sines its transport asked (kpls's, that of
// twice the deep-water angle and the surf current's, each with its vector value).
struct TransportLane {
  const CaseState* state = nullptr;
  const std::array<TrigValue, 3>* sines = nullptr;
  LongshoreTransport transport;
};

inline constexpr std::size_t kTransportLanes = 8;

// A storm whose height classes are known, and the share of waves in each class.
struct ExposureLane {
  CaseState* state = nullptr;
  std::array<float, 4> share{};
};

// Works out the share and the exposure of each height class of up to eight storms, as
// exposeHeightClasses does for one storm, where each class bound's exceedance exp lies on the
// vector exp's main path (the others are left as they were), and returns a bit for each storm so
// done; the exposures go to the storm's state. Runs where computeTransportSideBySide does;
// elsewhere it does nothing and returns 0.
std::uint32_t exposeSideBySide(std::span<ExposureLane> lanes);

// Keeps the storm's shares and exposures as exposeHeightClasses keeps them.
void keepExposure(const ExposureLane& lane, StormValues& values);

// Keeps the storm's transport as findLongshoreTransport keeps it.
void keepTransport(const LongshoreTransport& transport, StormValues& values);

// Works out the transport of each of up to eight storms where no step of it can fail and each
// sine and power stores one single at both ends of its margin, and returns a bit for each storm
// so done. The other storms' transports are left to be worked out alone. Runs only where
// runsStormLanes(); elsewhere it does nothing and returns 0.
std::uint32_t computeTransportSideBySide(std::span<TransportLane> lanes);

}  // namespace littoral
