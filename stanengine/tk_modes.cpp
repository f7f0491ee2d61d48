#include "stanengine/tk_modes.h"

namespace tovr {

bool parse_tk_modes(const char* letters, TkModes* modes) {
  *modes = TkModes{};
  if (letters == nullptr) return true;
  for (const char* p = letters; *p != '\0'; ++p) {
    switch (*p) {
      case 'U': case 'u': modes->upper = true; break;
      case 'N': case 'n': modes->digits_first = true; break;
      case 'A': case 'a': modes->letters_first = true; break;
      case 'M': case 'm': modes->mixtures = true; break;
      case 'S': case 's': modes->other_first = true; break;
      case 'C': case 'c': case 'O': case 'o': break;
      default: return false;
    }
  }
  return true;
}

}  // namespace tovr
