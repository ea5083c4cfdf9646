#pragma once

#include <array>
#include <string_view>

#include "storm.hpp"

// The names of units and of growth limits, as every front end writes and reads them.

// The fetch units of the menu answers 1 to 5: "ft", "m", "miles", "km", "kml" (6080 ft).
inline constexpr std::array<std::string_view, 5> kFetchUnitNames = {"ft", "m", "miles", "km",
                                                                    "kml"};
// The speed units of the menu answers 1 to 5: "ft/s", "m/s", "mph", "km/h", "knots".
inline constexpr std::array<std::string_view, 5> kSpeedUnitNames = {"ft/s", "m/s", "mph", "km/h",
                                                                    "knots"};

// The unit system as the units column writes it: "US", "SI" or "none".
const char* unitsName(UnitSystem units);

// The growth limit as the limited_by column writes it: "fetch", "duration" or "" for neither.
const char* limitName(GrowthLimit limit);
