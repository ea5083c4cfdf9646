#include "unit_names.hpp"

#include <utility>

namespace littoral {
namespace {

struct OtherName {
  std::string_view name;
  std::int32_t choice;
};

constexpr OtherName kOtherFetchNames[] = {{"nmi", 5}};
constexpr OtherName kOtherSpeedNames[] = {{"kn", 5}, {"kt", 5}, {"kts", 5}, {"ft/sec", 1}};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

template <std::size_t N>
std::optional<std::int32_t> unitOfName(std::string_view name,
                                       const std::array<std::string_view, 5>& names,
                                       const OtherName (&others)[N]) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (sameIgnoringCase(name, names[i])) return std::int32_t(i + 1);
  }
  for (const OtherName& other : others) {
    if (sameIgnoringCase(name, other.name)) return other.choice;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> fetchUnitOfName(std::string_view name) {
  return unitOfName(name, kFetchUnitNames, kOtherFetchNames);
}

std::optional<std::int32_t> speedUnitOfName(std::string_view name) {
  return unitOfName(name, kSpeedUnitNames, kOtherSpeedNames);
}

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

}  // namespace littoral
