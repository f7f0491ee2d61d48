#include "stanengine/tk_modes.h"

#include <cctype>

namespace tovr {

bool parse_tk_modes(const char* letters, TkModes* modes) {
  *modes = TkModes{};
  if (letters == nullptr) return true;
  for (const char* p = letters; *p != '\0'; ++p) {
    switch (std::toupper(static_cast<unsigned char>(*p))) {
      case 'U':
        modes->upper = true;
        break;
      case 'N':
        modes->digits_first = true;
        break;
      case 'A':
        modes->letters_first = true;
        break;
      case 'M':
        modes->mixtures = true;
        break;
      case 'S':
        modes->other_first = true;
        break;
      case 'C':
      case 'O':
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace tovr
