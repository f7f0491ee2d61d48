// MOVE: the items of the auxiliary output, read from the raw line.
#include <cstring>

#include "frame/memory.h"
#include "stancomp/stan_reader.h"
#include "stancomp/stan_texts.h"

namespace tovr {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
// The item list ends at any control character other than tab.
bool ends_items(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u < 32 && c != '\t') || u == 127;
}
bool ends_word(char c) { return is_blank(c) || ends_items(c); }

constexpr int kMaxMoveLiteral = 199;

bool word_is(const char* p, std::size_t n, const char* word) {
  return std::strlen(word) == n && std::strncmp(p, word, n) == 0;
}

}  // namespace

Outcome StanReader::move() {
  if (stan_.aux_output_file_name[0] == '\0') {
    list_error(stan_text::kMoveBeforeAuxFile);
    return Outcome::kContinue;
  }
  const char* p = stan_.line_copy;
  while (is_blank(*p) || *p == '(' || *p == ')') ++p;
  p += 4;  // "MOVE"
  for (;;) {
    while (is_blank(*p)) ++p;
    if (ends_items(*p)) return Outcome::kContinue;
    const Outcome outcome = move_item(p);
    if (outcome == Outcome::kFail) return outcome;
    // An item in error ends the list: where the next item starts is not known.
    if (p == nullptr) return Outcome::kContinue;
  }
}

// Reads one item at p and advances p past it; p becomes null when the item was refused.
Outcome StanReader::move_item(const char*& p) {
  if (stan_.aux->count >= 1) {
    list_error(stan_text::kMoveTooMany);
    p = nullptr;
    return Outcome::kContinue;
  }
  auto* text = static_cast<char*>(mem_alloc(kAuxTextSize));
  if (text == nullptr) {
    list(stan_text::kMoveNoMemory);
    return Outcome::kFail;
  }
  text[0] = '\0';
  AuxEntry entry{text, {}, -1, AuxKind::kLiteral};
  const char* message = nullptr;
  if (*p == '"') {
    int n = 0;
    for (++p; *p != '"'; ++p, ++n) {
      if (n == kMaxMoveLiteral || ends_items(*p)) break;
      text[n] = *p;
    }
    text[n] = '\0';
    if (*p == '"') {
      ++p;
    } else {
      message = stan_text::kMoveLiteralUnclosed;
    }
  } else if (*p == '{') {
    int n = 0;
    for (++p; n < 3 && *p != '}' && !ends_items(*p); ++p, ++n) {
      if (n < 2) entry.field[n] = *p;
    }
    if (*p == '}' && n > 0 && n <= 2) {
      ++p;
      entry.kind = AuxKind::kField;
    } else {
      message = n == 0 ? stan_text::kMoveUnknownArg : stan_text::kMoveFieldTooLong;
    }
  } else {
    const char* word = p;
    while (!ends_word(*p)) ++p;
    const auto n = static_cast<std::size_t>(p - word);
    if (word_is(word, n, stan_text::kNewlineUpper) || word_is(word, n, stan_text::kNewlineLower)) {
      std::strcpy(text, "\n");
      entry.kind = AuxKind::kNewline;
    } else if (word_is(word, n, stan_text::kOriginalUpper) ||
               word_is(word, n, stan_text::kOriginalLower)) {
      std::strcpy(text, stan_text::kOriginalRecordMarker);
      entry.kind = AuxKind::kOriginalRecord;
    } else if (*word == 'N' || *word == 'n' || *word == 'O' || *word == 'o') {
      message = stan_text::kMoveUnknownCommand;
    } else {
      message = stan_text::kMoveUnknownArg;
    }
  }
  if (message != nullptr) {
    mem_free(text);
    list_error(message);
    p = nullptr;
    return Outcome::kContinue;
  }
  stan_.aux->entry = entry;
  stan_.aux->count = 1;
  ++stan_.move_count;
  return Outcome::kContinue;
}

}  // namespace tovr
