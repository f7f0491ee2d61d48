// Mode letters of tkTokenize and tkClassify.
#pragma once

namespace tovr {

struct TkModes {
  bool upper = false;          // U: ordinary characters are upper-cased while cutting
  bool digits_first = false;   // N: digits, then letters or others, give ">"
  bool letters_first = false;  // A: letters, then digits or others, give "<"
  bool mixtures = false;       // M: mixtures that change back give "@"
  bool other_first = false;    // S: a first character that is neither letter nor digit
                               //    gives "~"
};

// Reads the letters without regard to case. C and O are accepted and have no effect: the
// engine never passes them and no behaviour is tied to them. Any other character makes the
// result false. A null string holds no letters.
bool parse_tk_modes(const char* letters, TkModes* modes);

}  // namespace tovr
