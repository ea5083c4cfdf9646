#include "columns.hpp"

#include <array>
#include <vector>

#include "csv_text.hpp"

namespace littoral {
namespace {

// The exact definitions behind the conversions: 1 ft = 0.3048 m, 1 lbf = 4.4482216152605 N,
// 1 slug = 14.5939029372064 kg.
constexpr double kMetresPerFoot = 0.3048;
constexpr double kKgPerM3PerSlugPerFt3 = 14.5939029372064 / (0.3048 * 0.3048 * 0.3048);
constexpr double kWattsPerMetrePerFtLbfPerSecondPerFoot = 4.4482216152605;

// A class rate in US units is in cubic yards; the same rate in the SI expression is that times
// the SI rate factor, 4.448703 as the program stores it.
constexpr double kSiRateFactor = double(4.4487028f);

constexpr std::array<ColumnInfo, 13> kInputColumns = {{
    {"gravity", "m/s2", "ft/s2",
     "g =", "gravity; above 30 chooses US units (ft, slug), below 30 SI units (m, kg)"},
    {"depth", "m", "ft", "Offshore Depth = ft or m", "the offshore depth of the hindcast",
     kMetresPerFoot},
    {"fetch", "fetch_unit", "fetch_unit", "Fetch = ", "the fetch, in the unit of fetch_unit"},
    {"fetch_unit", "-", "-", "Enter Fetch Units:ft=1;m=2;miles=3;km=4;kml=5",
     "1-5 or ft, m, miles, km, kml (nautical mile of 6,080 ft; also nmi)"},
    {"wind_speed", "speed_unit", "speed_unit",
     "Speed = ", "the wind speed, in the unit of speed_unit"},
    {"speed_unit", "-", "-", "Enter Speed Units:ft/sec=1;m/s=2;mph=3;km/h=4;knots=5",
     "1-5 or ft/s, m/s, mph, km/h, knots (also kn, kt, kts)"},
    {"duration_h", "h", "h", "Duration = hr ", "the storm's duration"},
    {"rt", "-", "-", "Rt stability factor = ", "the air-sea stability factor RT"},
    {"rl", "-", "-", "RL sea/land factor = ", "the wind's sea/land factor RL"},
    {"local_depth", "m", "ft", "Local depth d near surf zone = ",
     "the depth near the surf zone where the local wave is worked out", kMetresPerFoot},
    {"angle_deg", "deg", "deg", "Alfa (degrees) = ",
     "the wave's angle at the offshore depth; positive from the right of someone on the "
     "beach looking out to sea"},
    {"beach_slope", "-", "-", "slope of beach =", "optional; empty keeps 0.005"},
    {"settling_velocity", "cm/s", "cm/s", "settling velocity for beach material (cm/s) =",
     "optional; a row that gives it goes on to the transport"},
}};

ResultColumn value(StormValue which, ColumnInfo info) { return {info, ColumnSource::value, which}; }

ResultColumn text(ColumnSource source, ColumnInfo info) { return {info, source}; }

// Four columns, one for each height class, named NAME_1 to NAME_4.
void appendClasses(std::vector<ResultColumn>& columns, StormValue classOne,
                   const std::array<std::string_view, 4>& names, ColumnInfo info) {
  for (std::size_t i = 0; i < 4; ++i) {
    info.name = names[i];
    columns.push_back(value(static_cast<StormValue>(static_cast<std::size_t>(classOne) + i), info));
  }
}

std::vector<ResultColumn> makeResultColumns() {
  const double m = kMetresPerFoot;
  std::vector<ResultColumn> c;
  const auto add = [&](ResultColumn column) { c.push_back(column); };
  add(text(ColumnSource::units, {"units", "-", "-", "US Units / SI Units",
                                 "the row's unit system: US, SI or none (gravity of 30)"}));
  add(value(StormValue::density,
            {"density", "kg/m3", "slug/ft3", "Density=", "water density", kKgPerM3PerSlugPerFt3}));
  add(value(StormValue::setupFeet, {"setup_ft", "ft", "ft", "Setup in feet = ", "wind setup"}));
  add(value(StormValue::setupMeters, {"setup_m", "m", "m", "Setup in m = ", "wind setup"}));
  add(value(StormValue::ua,
            {"ua", "m/s", "ft/s", "Ua = ", "the wind-stress adjusted wind speed", m}));
  add(text(ColumnSource::passes,
           {"passes", "-", "-", "Fd, FF, Ftd =", "the growth passes: the number of those lines"}));
  add(value(StormValue::Fd, {"fd", "-", "-", "Fd, FF, Ftd =", "non-dimensional depth g d/ua^2"}));
  add(value(StormValue::FF, {"ff", "-", "-", "Fd, FF, Ftd =",
                             "non-dimensional fetch g F/ua^2 of the last growth pass"}));
  add(value(StormValue::Ftd,
            {"ftd", "-", "-", "Fd, FF, Ftd =", "non-dimensional duration g t/ua"}));
  add(text(ColumnSource::limitedBy,
           {"limited_by", "-", "-", "Fetch Limited / Duration Limited with Feff =",
            "fetch or duration: what limited the growth; empty when neither"}));
  add(value(StormValue::effectiveFetch,
            {"effective_fetch", "m", "ft", "Duration Limited with Feff =",
             "the fetch after the growth passes; the fetch itself when fetch-limited", m}));
  add(value(StormValue::FHs, {"fhs", "-", "-", "Non-dimensional Wave Height FHs =",
                              "non-dimensional significant height g Hs/ua^2 (Output.out)"}));
  add(value(StormValue::FTs, {"fts", "-", "-", "Non-dimensional Period FTs =",
                              "non-dimensional significant period g Ts/ua (Output.out)"}));
  add(value(StormValue::hs, {"hs", "m", "ft", "Hs and Ts",
                             "significant wave height as hindcast, before the breaking cap", m}));
  add(value(StormValue::ts, {"ts", "s", "s", "Hs and Ts", "significant wave period"}));
  add(value(StormValue::ks,
            {"ks", "-", "-", "ks =", "shoaling coefficient at the offshore depth"}));
  add(value(StormValue::lo, {"lo", "m", "ft", "Deep wave length and celerity (Lo,Co)",
                             "deep-water wave length", m}));
  add(value(StormValue::co, {"co", "m/s", "ft/s", "Deep wave length and celerity (Lo,Co)",
                             "deep-water wave celerity", m}));
  add(value(StormValue::l1, {"l1", "m", "ft", "Wave length and celerity (L1,C1)",
                             "wave length at the offshore depth", m}));
  add(value(StormValue::c1, {"c1", "m/s", "ft/s", "Wave length and celerity (L1,C1)",
                             "wave celerity at the offshore depth", m}));
  add(value(StormValue::surfDepth, {"surf_depth", "m", "ft", "Approximate surf depth = ",
                                    "approximate surf depth, Hs / ks / 0.78", m}));
  add(value(StormValue::s1, {"s1", "-", "-", "s1,co,c1,so", "sine of the offshore angle"}));
  add(value(StormValue::so,
            {"so", "-", "-", "s1,co,c1,so", "sine of the deep-water angle; +0.99 where clamped"}));
  add(value(StormValue::aor, {"aor", "rad", "rad", "AOR =", "deep-water wave angle"}));
  add(value(StormValue::deepAngle,
            {"deep_angle", "deg", "deg", " DEEP WATER WAVE ANGLE =  ", "deep-water wave angle"}));
  add(value(StormValue::kr, {"kr", "-", "-", " Ks AND Kr = ",
                             "refraction coefficient between deep water and the offshore depth"}));
  add(value(StormValue::deepHeight, {"deep_height", "m", "ft", " DEEP WATER WAVE HEIGHT = ",
                                     "deep-water wave height (Output.out)", m}));
  add(value(StormValue::localAngle,
            {"local_angle", "deg", "deg", "Local angle = ", "wave angle at the local depth"}));
  add(value(StormValue::localLength, {"local_length", "m", "ft", "Local wave length and height ",
                                      "wave length at the local depth", m}));
  add(value(StormValue::localHeight, {"local_height", "m", "ft", "Local wave length and height ",
                                      "wave height at the local depth, before its limits", m}));
  add(value(StormValue::localCelerity,
            {"local_celerity", "m/s", "ft/s", "Local wave height and celerity ",
             "wave celerity at the local depth", m}));
  add(value(StormValue::groupRatio, {"group_ratio", "-", "-", "Group Ratio, Ks and Kr (Local) ",
                                     "group velocity over celerity at the local depth"}));
  add(value(StormValue::ksLocal, {"ks_local", "-", "-", "Group Ratio, Ks and Kr (Local) ",
                                  "shoaling coefficient at the local depth"}));
  add(value(StormValue::krLocal, {"kr_local", "-", "-", "Group Ratio, Ks and Kr (Local) ",
                                  "refraction coefficient at the local depth"}));
  add(value(StormValue::breakingHeight, {"breaking_height", "m", "ft", "Breaking Wave height ",
                                         "breaking wave height at the local depth", m}));
  const std::array<std::string_view, 4> statistics = {"Hrms", "Hs", "H10", "H1"};
  const std::array<std::string_view, 4> offshoreNames = {"offshore_hrms", "offshore_hs",
                                                         "offshore_h10", "offshore_h1"};
  const std::array<std::string_view, 4> localNames = {"local_hrms", "local_hs", "local_h10",
                                                      "local_h1"};
  for (std::size_t i = 0; i < 4; ++i) {
    add(value(static_cast<StormValue>(static_cast<std::size_t>(StormValue::offshoreHrms) + i),
              {offshoreNames[i], "m", "ft", "Offshore", statistics[i], m}));
  }
  for (std::size_t i = 0; i < 4; ++i) {
    add(value(static_cast<StormValue>(static_cast<std::size_t>(StormValue::localHrms) + i),
              {localNames[i], "m", "ft", "Local", statistics[i], m}));
  }
  add(value(StormValue::hnso,
            {"hnso", "m", "ft", "Hnso =", "deep-water rms height: the scale of the classes", m}));
  appendClasses(c, StormValue::classShare1,
                {"class_share_1", "class_share_2", "class_share_3", "class_share_4"},
                {"", "-", "-", "##.##", "the Rayleigh share of the waves in the height class"});
  add(value(StormValue::kpls,
            {"kpls", "-", "-", "Kpls, rho =", "transport coefficient; shown only, not used"}));
  appendClasses(c, StormValue::classExposure1,
                {"class_exposure_1", "class_exposure_2", "class_exposure_3", "class_exposure_4"},
                {"", "%", "%", "##.##", "the class's exposure: percent of a 365-day year"});
  appendClasses(c, StormValue::classRate1,
                {"class_rate_1", "class_rate_2", "class_rate_3", "class_rate_4"},
                {"", "-", "yd3", "class line",
                 "the class's transport rate as the console prints it: yd3 in US units, in SI "
                 "units the SI expression (yd3 times 4.448703); class_transport_m3 is in m3",
                 kSiRateFactor});
  appendClasses(
      c, StormValue::classHeight1,
      {"class_height_1", "class_height_2", "class_height_3", "class_height_4"},
      {"", "m", "ft", "class line",
       "the class's representative deep-water height, the geometric mean of its bounds", m});
  appendClasses(c, StormValue::classFlux1,
                {"class_flux_1", "class_flux_2", "class_flux_3", "class_flux_4"},
                {"", "W/m", "ft.lbf/s/ft", "class line", "the class's longshore energy flux term",
                 kWattsPerMetrePerFtLbfPerSecondPerFoot});
  add(value(StormValue::surfCurrent, {"surf_current", "m/s", "ft/s", "Surf Current ft/sec or m/s =",
                                      "mean longshore current of the four classes", m}));
  add(value(StormValue::stormTransport,
            {"storm_transport", "yd3", "yd3", " LONG SHORE RATE FOR THIS STORM yd3 or m3 = ",
             "the storm's longshore transport; positive to the left of someone on the beach "
             "looking out to sea"}));
  add(value(StormValue::stormTransportM3,
            {"storm_transport_m3", "m3", "m3", "",
             "storm_transport in m3: times 0.764554857984, rounded to single precision"}));
  add(text(ColumnSource::error,
           {"error", "-", "-", "", "why the row has no results, or fewer; empty when none"}));
  appendClasses(c, StormValue::classTransportM3_1,
                {"class_transport_m3_1", "class_transport_m3_2", "class_transport_m3_3",
                 "class_transport_m3_4"},
                {"", "m3", "m3", "",
                 "the class's transport in this storm, in m3; the four sum to storm_transport_m3 "
                 "to rounding"});
  add(text(ColumnSource::warnings,
           {"warnings", "-", "-", "", "\"code: reason\" items joined by \"; \"; empty when none"}));
  add(text(ColumnSource::errorCause,
           {"error_cause", "-", "-", "", "the input behind a math error and what would work"}));
  return c;
}

}  // namespace

std::span<const ColumnInfo> inputColumnInfo() { return kInputColumns; }

std::span<const ResultColumn> resultColumns() {
  static const std::vector<ResultColumn> columns = makeResultColumns();
  return columns;
}

std::string_view valueName(StormValue value) {
  static const std::array<std::string_view, kStormValueCount> names = [] {
    std::array<std::string_view, kStormValueCount> list{};
    for (const ResultColumn& column : resultColumns()) {
      if (column.source == ColumnSource::value) {
        list[static_cast<std::size_t>(column.value)] = column.info.name;
      }
    }
    return list;
  }();
  return names[static_cast<std::size_t>(value)];
}

std::string columnsCsv() {
  std::string out = "column,si_unit,us_unit,console_line,description\n";
  const auto addRow = [&out](const ColumnInfo& info) {
    for (const std::string_view field : {info.name, info.siUnit, info.usUnit, info.consoleLine}) {
      appendCsvField(out, field);
      out += ',';
    }
    appendCsvField(out, info.description);
    out += '\n';
  };
  for (const ColumnInfo& info : kInputColumns) addRow(info);
  for (const ResultColumn& column : resultColumns()) addRow(column.info);
  return out;
}

}  // namespace littoral
