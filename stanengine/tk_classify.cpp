#include "stanengine/tk_classify.h"

#include <cctype>
#include <cstring>

#include "frame/strings.h"

namespace tovr {
namespace {

// States of the pattern walk. The walk starts in the state of the first character's kind
// and only moves forward.
enum PatternState {
  kLetters = 0,           // letters only
  kLettersThenOther = 1,  // letters, then digits or other characters
  kLettersMixed = 2,      // ... and then letters again, or a further other character
  kDigits = 3,            // digits only
  kDigitsThenOther = 4,   // digits, then letters or other characters
  kDigitsMixed = 5,       // ... and then digits again, or a further other character
  kOtherFirst = 6,        // begins with a character that is neither letter nor digit
};

enum CharKind { kLetter, kDigit, kOther };

CharKind kind_of(char c) {
  if (is_letter(c)) return kLetter;
  if (std::isdigit(static_cast<unsigned char>(c))) return kDigit;
  return kOther;
}

PatternState first_state(CharKind kind) {
  switch (kind) {
    case kLetter:
      return kLetters;
    case kDigit:
      return kDigits;
    default:
      return kOtherFirst;
  }
}

PatternState next_state(PatternState state, CharKind kind) {
  switch (state) {
    case kLetters:
      return kind == kLetter ? state : kLettersThenOther;
    case kLettersThenOther:
      return kind == kDigit ? state : kLettersMixed;
    case kDigits:
      return kind == kDigit ? state : kDigitsThenOther;
    case kDigitsThenOther:
      return kind == kLetter ? state : kDigitsMixed;
    default:
      return state;
  }
}

}  // namespace

// An empty text has no first letter or digit and is classed like one that begins with
// another character.
char tk_pattern_class(const char* value, const TkModes& modes) {
  PatternState state = first_state(kind_of(value[0]));
  if (value[0] != '\0') {
    for (const char* p = value + 1; *p != '\0'; ++p) state = next_state(state, kind_of(*p));
  }
  switch (state) {
    case kLetters:
      return '?';
    case kDigits:
      return '^';
    case kLettersThenOther:
      return modes.letters_first ? '<' : '!';
    case kDigitsThenOther:
      return modes.digits_first ? '>' : '!';
    case kLettersMixed:
    case kDigitsMixed:
      return modes.mixtures ? '@' : '!';
    default:
      return modes.other_first ? '~' : '!';
  }
}

int classify_tk_token(TableRegistry* registry, Token& token, const char* cls_table,
                      const TkModes& modes, int prefix) {
  std::memcpy(token.TokenClose, token.TokenValue, sizeof token.TokenClose);
  token.TokenOCR[0] = '\0';
  if (token.TokenClass != '\0') return kTkOk;
  const char cls = tk_pattern_class(token.TokenValue, modes);
  token.TokenAbbrev[0] = '\0';
  token.TokenWeight = 0.0f;
  token.TokenClass = cls;
  if (cls != '?') return kTkOk;
  return lookup_tk_word(registry, token, cls_table, prefix);
}

int tkClassify(TableRegistry* registry, Token* token, const char* cls_table, const char* modes,
               int prefix) {
  TkModes parsed;
  if (!parse_tk_modes(modes, &parsed)) return kTkBadMode;
  // A value that lost its terminator is cut to the longest word a token holds.
  token->TokenValue[kTokenValueSize - 1] = '\0';
  token->TokenClass = '\0';
  token->TokenLen = static_cast<int16_t>(std::strlen(token->TokenValue));
  return classify_tk_token(registry, *token, cls_table, parsed, prefix);
}

}  // namespace tovr
