#include "dialogue.hpp"

namespace littoral {
std::vector<Rec> concat(std::vector<Rec> first, const std::vector<Rec>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

std::vector<Rec> inputDialogue(const char* unitLine, const char* density, const Rec& mph) {
  std::vector<Rec> records = {{"g ="}};
  if (unitLine != nullptr) records.push_back({unitLine});
  records.insert(records.end(), {{"Density=", {density}},
                                 {"Offshore Depth = ft or m"},
                                 {"Enter Fetch Units:ft=1;m=2;miles=3;km=4;kml=5"},
                                 {"Fetch = "},
                                 {"Enter Speed Units:ft/sec=1;m/s=2;mph=3;km/h=4;knots=5"},
                                 {"Speed = "}});
  if (!mph.text.empty()) records.push_back(mph);
  return concat(records,
                {{"Duration = hr "}, {"Rt stability factor = "}, {"RL sea/land factor = "}});
}

namespace {

// The console from the hindcast's last line to the continue prompt. The deep-water length is
// g ts^2 / 2 pi and co = lo / ts, from the hindcast period.
std::vector<Rec> transformConsole(const char* lo, const char* co, const char* angle,
                                  const char* breaking, const std::vector<std::string>& offshore) {
  return {{"ks =", {"*"}},
          {"Deep wave length and celerity (Lo,Co) ", {lo, co}},
          {"Wave length and celerity (L1,C1)", {"*", "*"}},
          {"Approximate surf depth = ", {"*"}},
          {" "},
          {"Local depth d near surf zone = "},
          {"Alfa (degrees) = "},
          {"Alfa = ", {angle}},
          {"s1,co,c1,so", {"*", co, "*", "*"}},
          {"AOR =", {"*"}},
          {" DEEP WATER WAVE ANGLE =  ", {"*"}},
          {" Ks AND Kr = ", {"*", "*"}},
          {"Local angle = ", {"*"}},
          {"Local wave length and height ", {"*", "*"}},
          {"Local wave height and celerity ", {"*", "*"}},
          {"Group Ratio, Ks and Kr (Local) ", {"*", "*", "*"}},
          {"Breaking Wave height ", {breaking}},
          {"-    Hrms,            Hs,           H10,          H1  "},
          {"Offshore", offshore},
          {"Local   ", {"*", "*", "*", "*"}},
          {"Hnso =", {"*", "*"}},
          {"Enter 1 to continue or any other key to terminate"}};
}

std::vector<Rec> transformReport(const char* lo, const char* co, const char* localDepth,
                                 const char* angle, const char* breaking,
                                 const std::vector<std::string>& offshore) {
  return {{"Deep wave length and celerity (Lo,Co) ", {lo, co}},
          {"Wave length and celerity (L1,C1)", {"*", "*"}},
          {"Local depth d near surf zone = ", {localDepth}},
          {"Offshore Angle Alfa = ", {angle}},
          {" EFFECTIVE DEEP WATER WAVE ANGLE =  ", {"*"}},
          {" DEEP WATER WAVE HEIGHT = ", {"*"}},
          {"EFFECTIVE DEEP WATER WAVE HEIGHT = ", {"*"}},
          {"Local angle = ", {"*"}},
          {"Local wave length and height ", {"*", "*"}},
          {"Local wave height and celerity ", {"*", "*"}},
          {"Group Ratio, Ks and Kr (Local) ", {"*", "*", "*"}},
          {"Breaking Wave height ", {breaking}},
          {"-    Hrms,            Hs,           H10,          H1"},
          {"Offshore", offshore},
          {"Local ", {"*", "*", "*", "*"}}};
}

// The report's hindcast records of a fetch-limited storm: the echoes, then the figures.
struct HindcastFigures {
  const char* unitLine;
  std::vector<std::string> echoes;   // density, depth, fetch, speed, duration, Rt, RL
  std::vector<std::string> figures;  // setup ft, setup m, ua, Fd, FF, Ftd, FHs, FTs, hs, ts
};

std::vector<Rec> hindcastReport(const HindcastFigures& h, const std::vector<Rec>& rest) {
  const auto& e = h.echoes;
  const auto& f = h.figures;
  return concat({{"REPORT"},
                 {h.unitLine},
                 {"Density=", {e[0]}},
                 {"Offshore Depth = ft or m ", {e[1]}},
                 {"Fetch = ft or m ", {e[2]}},
                 {"Speed = ft/sec or m/s ", {e[3]}},
                 {"Duration = hr ", {e[4]}},
                 {"Rt stability factor = ", {e[5]}},
                 {"RL sea/land factor = ", {e[6]}},
                 {"Setup in feet = ", {f[0]}},
                 {"Setup in m = ", {f[1]}},
                 {"Stress Ua = ", {f[2]}},
                 {"Non-dimensional depth Fd", {f[3]}},
                 {"Non-dimensional fetch FF", {f[4]}},
                 {"Non-dimensional duration Ftd", {f[5]}},
                 {"Fetch Limited  "},
                 {"Non-dimensional Wave Height FHs =", {f[6]}},
                 {"Non-dimensional Period FTs =", {f[7]}},
                 {"Significant Wave height Hs (ft or m) = ", {f[8]}},
                 {"Significant Wave Period Ts (s) = ", {f[9]}}},
                rest);
}

}  // namespace

// hs = 2.1614 and ts = 5.5962 from the hindcast: lo = 48.896, co = 8.7374, and the Offshore
// row hs / sqrt 2, hs, 1.27 hs, 1.67 hs. The local depth of 3 m limits breaking at 2.34 m.
static const std::vector<std::string> kSiOffshoreRow = {"~1.5284", "~2.1614", "~2.7450", "~3.610"};

std::vector<Rec> siStormConsole() {
  return concat(concat(inputDialogue("SI Units", "1000.000", {"V mph = ", {"~44.739"}}),
                       {{"Setup in feet = ", {"~1.3614"}},
                        {"Setup in m = ", {"~0.41508"}},
                        {"Ua = ", {"~28.283"}},
                        {"Fd, FF, Ftd =", {"~0.12264", "~613.18", "~6243.3"}},
                        {"Fetch Limited  "},
                        {"Hs and Ts ", {"~2.1614", "~5.5962"}}}),
                transformConsole("~48.90", "~8.737", "30.00000", "2.340000", kSiOffshoreRow));
}

std::vector<Rec> siStormReport() {
  const HindcastFigures hindcast = {
      "SI Units",
      {"1000.000", "10.00000", "50000.00", "20.00000", "5.000000", "1.000000", "1.000000"},
      {"~1.3614", "~0.41508", "~28.283", "~0.12264", "~613.18", "~6243.3", "~0.026507", "~1.9410",
       "~2.1614", "~5.5962"}};
  return hindcastReport(hindcast, transformReport("~48.90", "~8.737", "3.000000", "30.00000",
                                                  "2.340000", kSiOffshoreRow));
}

// hs = 3.7720 ft and ts = 3.8210 s: lo = 74.82 ft, co = 19.58 ft/s; 0.78 x 8 ft = 6.24 ft.
static const std::vector<std::string> kUsOffshoreRow = {"~2.6672", "~3.7720", "~4.790", "~6.299"};

std::vector<Rec> usStormConsole() {
  return concat(concat(inputDialogue("US Units", "1.940000", {}),
                       {{"Setup in feet = ", {"~0.50223"}},
                        {"Setup in m = ", {"~0.15312"}},
                        {"Ua = ", {"~74.560"}},
                        {"Fd, FF, Ftd =", {"~0.1158", "~305.8", "~7774"}},
                        {"Fetch Limited  "},
                        {"Hs and Ts ", {"~3.7720", "~3.8210"}}}),
                transformConsole("~74.82", "~19.58", "20.00000", "6.240000", kUsOffshoreRow));
}

// Fd, FF and Ftd follow from ua = 74.560: 20 g / ua^2, 52800 g / ua^2 and 18000 g / ua; FHs
// and FTs from hs and ts: g hs / ua^2 and g ts / ua.
std::vector<Rec> usStormReport() {
  const HindcastFigures hindcast = {
      "US Units",
      {"1.940000", "20.00000", "52800.00", "50.00000", "5.000000", "1.100000", "1.000000"},
      {"~0.50223", "~0.15312", "~74.560", "~0.1158", "~305.8", "~7774", "~0.02185", "~1.650",
       "~3.7720", "~3.8210"}};
  return hindcastReport(hindcast, transformReport("~74.82", "~19.58", "8.000000", "20.00000",
                                                  "6.240000", kUsOffshoreRow));
}

}  // namespace littoral
