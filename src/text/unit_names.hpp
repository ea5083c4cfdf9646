#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "littoral/storm.hpp"

// The names of units and of growth limits, as every front end writes and reads them.

namespace littoral {

// The fetch units of the menu answers 1 to 5: "ft", "m", "miles", "km", "kml" (6080 ft).
inline constexpr std::array<std::string_view, 5> kFetchUnitNames = {"ft", "m", "miles", "km",
                                                                    "kml"};
// The speed units of the menu answers 1 to 5: "ft/s", "m/s", "mph", "km/h", "knots".
inline constexpr std::array<std::string_view, 5> kSpeedUnitNames = {"ft/s", "m/s", "mph", "km/h",
                                                                    "knots"};

// The menu answer (1 to 5) of a fetch or a speed unit's name, taken in any case, or of one of its
// other names: nmi for kml; kn, kt and kts for knots; ft/sec for ft/s. Nothing for any other
// text.
std::optional<std::int32_t> fetchUnitOfName(std::string_view name);
std::optional<std::int32_t> speedUnitOfName(std::string_view name);

// The unit system as the units column writes it: "US", "SI" or "none".
const char* unitsName(UnitSystem units);

// The growth limit as the limited_by column writes it: "fetch", "duration" or "" for neither.
const char* limitName(GrowthLimit limit);

}  // namespace littoral
