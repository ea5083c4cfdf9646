#include "unit_names.hpp"

const char* unitsName(UnitSystem units) {
  switch (units) {
    case UnitSystem::us:
      return "US";
    case UnitSystem::si:
      return "SI";
    case UnitSystem::none:
      break;
  }
  return "none";
}

const char* limitName(GrowthLimit limit) {
  switch (limit) {
    case GrowthLimit::fetch:
      return "fetch";
    case GrowthLimit::duration:
      return "duration";
    case GrowthLimit::none:
      break;
  }
  return "";
}
