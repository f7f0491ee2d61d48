// United States address lines of the kinds the us-address example reads, in the mix a
// customer file shows: mostly number, name and type, then directionals, units, boxes,
// rural routes, highways, ordinal names, and a share written loosely (spelled-out or
// misspelt types, lower case, punctuation).
#pragma once

#include <cctype>
#include <string>
#include <vector>

#include "bench/bench_data.h"

namespace tovr::bench {

inline std::string house_number(Random& rnd) {
  static const int kDigits[] = {1, 2, 2, 3, 3, 3, 4, 4, 4, 5};
  const int digits = kDigits[rnd.below(10)];
  std::string n = std::to_string(1 + rnd.below(9));
  for (int i = 1; i < digits; ++i) n += static_cast<char>('0' + rnd.below(10));
  return n;
}

inline std::string lower_case(std::string s) {
  bool start = true;
  for (char& c : s) {
    if (std::isalpha(static_cast<unsigned char>(c)) && !start) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    start = c == ' ';
  }
  return s;
}

inline std::string random_address(Random& rnd) {
  static const std::vector<std::string> kNames = {
      "MAIN",     "OAK",        "PINE",      "MAPLE",     "CEDAR",    "ELM",
      "WASHINGTON", "LAKE",     "HILL",      "PARK",      "WALNUT",   "SUNSET",
      "LINCOLN",  "JACKSON",    "CHURCH",    "HIGHLAND",  "MILL",     "FRANKLIN",
      "JEFFERSON", "RIVERSIDE", "CENTER",    "SPRING",    "RIDGE",    "MEADOW",
      "WOODLAND", "CHESTNUT",   "LAUREL",    "FOREST",    "VALLEY",   "MADISON",
      "HICKORY",  "DOGWOOD",    "BIRCH",     "WILLOW",    "SPRUCE",   "GREENWOOD",
      "PROSPECT", "PLEASANT",   "CLEVELAND", "BROADWAY",  "MARKET",   "COLLEGE",
      "ORCHARD",  "CHERRY",     "MAGNOLIA",  "SYCAMORE",  "HAWTHORNE", "CYPRESS",
      "SHERIDAN", "EVERGREEN",  "FAIRVIEW",  "GLENWOOD",  "KINGSTON", "BEACON",
      "MISSION",  "HALSTED",    "DEARBORN",  "WACKER",    "LAKESHORE", "RIVER",
      "MARTIN LUTHER KING JR", "BEN WHITE", "OLD MILL", "HARBOR VIEW", "BUNKER HILL"};
  static const std::vector<std::string> kTypes = {
      "ST", "ST", "ST", "AVE", "AVE", "RD", "DR", "LN", "BLVD", "CT", "PL", "WAY", "TER",
      "CIR", "PKWY", "HWY", "PIKE", "ALY", "TRL", "LOOP"};
  static const std::vector<std::string> kLooseTypes = {
      "STREET", "AVENUE", "ROAD", "DRIVE", "LANE", "BOULEVARD", "COURT", "PLACE",
      "TERRACE", "CIRCLE", "AV", "STR", "STREEET", "AVENEU", "BLV", "PARKWAY"};
  static const std::vector<std::string> kDirs = {"N", "S", "E", "W", "NE", "NW", "SE", "SW"};
  static const std::vector<std::string> kLooseDirs = {"NORTH", "SOUTH", "EAST", "WEST"};
  static const std::vector<std::string> kOrdinals = {"1ST",   "2ND",  "3RD",    "4TH",
                                                     "5TH",   "10TH", "21ST",   "42ND",
                                                     "FIRST", "THIRD", "FOURTH", "TWELFTH"};
  static const std::vector<std::string> kUnits = {"APT", "STE", "#", "UNIT", "BLDG", "FL",
                                                  "APARTMENT", "SUITE", "RM"};

  const int kind = rnd.below(100);
  const std::string number = house_number(rnd);
  std::string name = rnd.pick(kNames);
  std::string type = rnd.pick(kTypes);
  if (kind < 40) return number + " " + name + " " + type;
  if (kind < 52) return number + " " + rnd.pick(kDirs) + " " + name + " " + type;
  if (kind < 56) return number + " " + name + " " + type + " " + rnd.pick(kDirs);
  if (kind < 59) {
    return number + " " + rnd.pick(kDirs) + " " + name + " " + type + " " + rnd.pick(kDirs);
  }
  if (kind < 71) {
    const std::string unit = rnd.pick(kUnits);
    std::string value = std::to_string(1 + rnd.below(400));
    if (rnd.chance(30)) value += static_cast<char>('A' + rnd.below(6));
    return number + " " + (rnd.chance(30) ? rnd.pick(kDirs) + " " : "") + name + " " + type +
           " " + unit + " " + value;
  }
  if (kind < 74) {
    return rnd.chance(50) ? number + " 1/2 " + name + " " + type
                          : number + static_cast<char>('A' + rnd.below(4)) + " " + name + " " +
                                type;
  }
  if (kind < 79) {
    const std::string box = std::to_string(1 + rnd.below(9999));
    return rnd.chance(50) ? "PO BOX " + box : (rnd.chance(50) ? "P O BOX " + box : "BOX " + box);
  }
  if (kind < 82) {
    const std::string route = std::to_string(1 + rnd.below(30));
    const std::string box = std::to_string(1 + rnd.below(999));
    const int r = rnd.below(3);
    return (r == 0 ? "RR " : r == 1 ? "RURAL ROUTE " : "HC ") + route + " BOX " + box;
  }
  if (kind < 87) {
    const std::string road = std::to_string(1 + rnd.below(499));
    switch (rnd.below(4)) {
      case 0:
        return number + " US HIGHWAY " + road;
      case 1:
        return number + " HWY " + road;
      case 2:
        return number + " STATE RTE " + road;
      default:
        return number + " CR " + road;
    }
  }
  if (kind < 93) return number + " " + rnd.pick(kOrdinals) + " " + type;
  // Written loosely: a spelled-out or misspelt type, words for directionals, lower case,
  // punctuation.
  std::string line = number + " ";
  if (rnd.chance(40)) line += rnd.pick(kLooseDirs) + " ";
  line += name + " " + rnd.pick(kLooseTypes);
  if (rnd.chance(30)) line += ", APT " + std::to_string(1 + rnd.below(40));
  if (rnd.chance(50)) line = lower_case(line);
  if (rnd.chance(30)) line += ".";
  return line;
}

inline std::vector<std::string> random_addresses(int count, std::uint64_t seed) {
  Random rnd(seed);
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) lines.push_back(random_address(rnd));
  return lines;
}

}  // namespace tovr::bench
