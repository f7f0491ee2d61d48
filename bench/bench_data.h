// Inputs shared by the benchmark programs: a repeatable random source, pools of common
// names and street words, misspellings, and scratch files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovr::bench {

// xorshift64*: the same sequence on every run and every machine.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
  std::uint64_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1DULL;
  }
  // 0 <= value < n.
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
  }

 private:
  std::uint64_t state_;
};

// FNV-1a over bytes: a fingerprint of a run's results, printed as a counter, so that two
// builds can be checked to compute the same results (a counter holds a double: 52 bits).
class Fingerprint {
 public:
  void add(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) value_ = (value_ ^ p[i]) * 0x100000001B3ULL;
  }
  void add_text(const char* text) { add(text, std::strlen(text) + 1); }
  template <class T>
  void add_value(const T& v) {
    add(&v, sizeof v);
  }
  double counter() const { return static_cast<double>(value_ & ((1ULL << 52) - 1)); }

 private:
  std::uint64_t value_ = 0xCBF29CE484222325ULL;
};

inline const std::vector<std::string>& first_names() {
  static const std::vector<std::string> v = {
      "JAMES",     "MARY",      "ROBERT",     "PATRICIA", "JOHN",      "JENNIFER", "MICHAEL",
      "LINDA",     "DAVID",     "ELIZABETH",  "WILLIAM",  "BARBARA",   "RICHARD",  "SUSAN",
      "JOSEPH",    "JESSICA",   "THOMAS",     "SARAH",    "CHARLES",   "KAREN",    "CHRISTOPHER",
      "LISA",      "DANIEL",    "NANCY",      "MATTHEW",  "BETTY",     "ANTHONY",  "MARGARET",
      "MARK",      "SANDRA",    "DONALD",     "ASHLEY",   "STEVEN",    "KIMBERLY", "PAUL",
      "EMILY",     "ANDREW",    "DONNA",      "JOSHUA",   "MICHELLE",  "KENNETH",  "CAROL",
      "KEVIN",     "AMANDA",    "BRIAN",      "DOROTHY",  "GEORGE",    "MELISSA",  "TIMOTHY",
      "DEBORAH",   "RONALD",    "STEPHANIE",  "EDWARD",   "REBECCA",   "JASON",    "SHARON",
      "JEFFREY",   "LAURA",     "RYAN",       "CYNTHIA",  "JACOB",     "KATHLEEN", "GARY",
      "AMY",       "NICHOLAS",  "ANGELA",     "ERIC",     "SHIRLEY",   "JONATHAN", "ANNA",
      "STEPHEN",   "BRENDA",    "LARRY",      "PAMELA",   "JUSTIN",    "EMMA",     "SCOTT",
      "NICOLE",    "BRANDON",   "HELEN",      "BENJAMIN", "SAMANTHA",  "SAMUEL",   "KATHERINE",
      "GREGORY",   "CHRISTINE", "ALEXANDER",  "DEBRA",    "FRANK",     "RACHEL",   "PATRICK",
      "CAROLYN",   "RAYMOND",   "JANET",      "JACK",     "CATHERINE", "DENNIS",   "MARIA",
      "JERRY",     "HEATHER",   "TYLER",      "DIANE",    "AARON",     "RUTH",     "JOSE",
      "JULIE",     "ADAM",      "OLIVIA",     "NATHAN",   "JOYCE",     "HENRY",    "VIRGINIA",
      "DOUGLAS",   "VICTORIA",  "ZACHARY",    "KELLY",    "PETER",     "LAUREN",   "KYLE",
      "CHRISTINA", "ETHAN",     "JOAN",       "WALTER",   "EVELYN",    "NOAH",     "JUDITH",
      "JEREMY",    "MEGAN",     "CHRISTIAN",  "ANDREA",   "KEITH",     "CHERYL",   "ROGER",
      "HANNAH",    "TERRY",     "JACQUELINE", "GERALD",   "MARTHA",    "HAROLD",   "GLORIA"};
  return v;
}

inline const std::vector<std::string>& last_names() {
  static const std::vector<std::string> v = {
      "SMITH",    "JOHNSON",   "WILLIAMS",   "BROWN",     "JONES",      "GARCIA",    "MILLER",
      "DAVIS",    "RODRIGUEZ", "MARTINEZ",   "HERNANDEZ", "LOPEZ",      "GONZALEZ",  "WILSON",
      "ANDERSON", "THOMAS",    "TAYLOR",     "MOORE",     "JACKSON",    "MARTIN",    "LEE",
      "PEREZ",    "THOMPSON",  "WHITE",      "HARRIS",    "SANCHEZ",    "CLARK",     "RAMIREZ",
      "LEWIS",    "ROBINSON",  "WALKER",     "YOUNG",     "ALLEN",      "KING",      "WRIGHT",
      "SCOTT",    "TORRES",    "NGUYEN",     "HILL",      "FLORES",     "GREEN",     "ADAMS",
      "NELSON",   "BAKER",     "HALL",       "RIVERA",    "CAMPBELL",   "MITCHELL",  "CARTER",
      "ROBERTS",  "GOMEZ",     "PHILLIPS",   "EVANS",     "TURNER",     "DIAZ",      "PARKER",
      "CRUZ",     "EDWARDS",   "COLLINS",    "REYES",     "STEWART",    "MORRIS",    "MORALES",
      "MURPHY",   "COOK",      "ROGERS",     "GUTIERREZ", "ORTIZ",      "MORGAN",    "COOPER",
      "PETERSON", "BAILEY",    "REED",       "KELLY",     "HOWARD",     "RAMOS",     "KIM",
      "COX",      "WARD",      "RICHARDSON", "WATSON",    "BROOKS",     "CHAVEZ",    "WOOD",
      "JAMES",    "BENNETT",   "GRAY",       "MENDOZA",   "RUIZ",       "HUGHES",    "PRICE",
      "ALVAREZ",  "CASTILLO",  "SANDERS",    "PATEL",     "MYERS",      "LONG",      "ROSS",
      "FOSTER",   "JIMENEZ",   "POWELL",     "JENKINS",   "PERRY",      "RUSSELL",   "SULLIVAN",
      "BELL",     "COLEMAN",   "BUTLER",     "HENDERSON", "BARNES",     "GONZALES",  "FISHER",
      "VASQUEZ",  "SIMMONS",   "ROMERO",     "JORDAN",    "PATTERSON",  "ALEXANDER", "HAMILTON",
      "GRAHAM",   "REYNOLDS",  "GRIFFIN",    "WALLACE",   "MORENO",     "WEST",      "COLE",
      "HAYES",    "BRYANT",    "HERRERA",    "GIBSON",    "ELLIS",      "TRAN",      "MEDINA",
      "AGUILAR",  "STEVENS",   "MURRAY",     "FORD",      "CASTRO",     "MARSHALL",  "OWENS",
      "HARRISON", "FERNANDEZ", "MCDONALD",   "WOODS",     "WASHINGTON", "KENNEDY",   "WELLS",
      "VARGAS",   "HENRY",     "CHEN",       "FREEMAN",   "WEBB",       "TUCKER",    "GUZMAN"};
  return v;
}

inline const std::vector<std::string>& street_names() {
  static const std::vector<std::string> v = {"MAIN",
                                             "OAK",
                                             "PINE",
                                             "MAPLE",
                                             "CEDAR",
                                             "ELM",
                                             "WASHINGTON",
                                             "LAKE",
                                             "HILL",
                                             "PARK",
                                             "WALNUT",
                                             "SUNSET",
                                             "LINCOLN",
                                             "JACKSON",
                                             "CHURCH",
                                             "HIGHLAND",
                                             "MILL",
                                             "FRANKLIN",
                                             "JEFFERSON",
                                             "RIVERSIDE",
                                             "CENTER",
                                             "SPRING",
                                             "RIDGE",
                                             "MEADOW",
                                             "WOODLAND",
                                             "CHESTNUT",
                                             "LAUREL",
                                             "FOREST",
                                             "VALLEY",
                                             "MADISON",
                                             "HICKORY",
                                             "DOGWOOD",
                                             "BIRCH",
                                             "WILLOW",
                                             "SPRUCE",
                                             "GREENWOOD",
                                             "COLUMBIA",
                                             "PROSPECT",
                                             "PLEASANT",
                                             "CLEVELAND",
                                             "MARTIN LUTHER KING",
                                             "UNIVERSITY",
                                             "BROADWAY",
                                             "MARKET",
                                             "COLLEGE",
                                             "ORCHARD",
                                             "CHERRY",
                                             "HOLLY",
                                             "MAGNOLIA",
                                             "SYCAMORE",
                                             "HAWTHORNE",
                                             "ASPEN",
                                             "CYPRESS",
                                             "SHERIDAN",
                                             "WESTMINSTER",
                                             "EVERGREEN",
                                             "BRIARWOOD",
                                             "FAIRVIEW",
                                             "GLENWOOD",
                                             "KINGSTON",
                                             "1ST",
                                             "2ND",
                                             "3RD",
                                             "4TH",
                                             "5TH",
                                             "10TH",
                                             "12TH",
                                             "21ST",
                                             "42ND",
                                             "HARBOR VIEW",
                                             "OLD MILL"};
  return v;
}

inline const std::vector<std::string>& street_types() {
  static const std::vector<std::string> v = {
      "ST",     "AVE",    "RD",   "DR",    "LN",   "BLVD", "CT",  "PL",  "WAY", "PKWY",
      "STREET", "AVENUE", "ROAD", "DRIVE", "LANE", "CIR",  "TER", "HWY", "AV",  "BOULEVARD"};
  return v;
}

// A misspelling of the kinds that keying and hearing produce: two neighbours swapped, a
// letter dropped, doubled or replaced.
inline std::string misspell(const std::string& word, Random& rnd) {
  if (word.size() < 3) return word;
  std::string w = word;
  const int at = 1 + rnd.below(static_cast<int>(w.size()) - 2);
  switch (rnd.below(4)) {
    case 0:
      std::swap(w[static_cast<std::size_t>(at)], w[static_cast<std::size_t>(at + 1)]);
      break;
    case 1:
      w.erase(static_cast<std::size_t>(at), 1);
      break;
    case 2:
      w = w.substr(0, static_cast<std::size_t>(at) + 1) + w.substr(static_cast<std::size_t>(at));
      break;
    default:
      w[static_cast<std::size_t>(at)] = static_cast<char>('A' + rnd.below(26));
      break;
  }
  return w;
}

// text placed left-justified in a field of width characters (cut when longer).
inline void put_field(std::string& record, int start, int width, const std::string& text) {
  for (int i = 0; i < width; ++i) {
    record[static_cast<std::size_t>(start + i)] =
        i < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(i)] : ' ';
  }
}

// text right-justified in a field of width characters.
inline void put_number(std::string& record, int start, int width, long value) {
  std::string text = std::to_string(value);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), ' ');
  put_field(record, start, width, text);
}

// A fresh directory for this process's files.
inline std::string scratch_dir(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("tovr_bench_" + name + "_" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace tovr::bench
