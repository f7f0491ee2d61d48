#include "stanengine/tk_cut.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "frame/strings.h"

namespace tovr {
namespace {

inline constexpr int kCounterMax = INT16_MAX;
inline constexpr int kWordMax = kTokenValueSize - 1;

bool is_line_break(unsigned char c) { return c == '\n' || c == '\r'; }

unsigned char kind_index(char c) { return static_cast<unsigned char>(c); }

// Line, column and position are 16-bit in the token; very long texts hold them at the
// largest value instead of wrapping.
void bump(int& counter) {
  if (counter < kCounterMax) ++counter;
}

class Cutter {
 public:
  Cutter(const Tokenizer& block, bool upper, Token* list)
      : kinds_(block.kinds), upper_(upper), list_(list) {}

  int run(const char* text, int* count);

 private:
  int step(unsigned char c);
  Token* new_token();
  void append(unsigned char c);

  const char* kinds_;
  bool upper_;
  Token* list_;
  int count_ = 0;
  Token* word_ = nullptr;  // the word in progress, if any
  int line_ = 1;
  int column_ = 1;
  int position_ = 1;
};

int Cutter::run(const char* text, int* count) {
  if (text != nullptr) {
    for (const char* p = text; *p != '\0'; ++p) {
      const int status = step(static_cast<unsigned char>(*p));
      if (status != kTkOk) return status;
      bump(column_);
    }
  }
  *count = count_;
  return kTkOk;
}

int Cutter::step(unsigned char c) {
  if (is_line_break(c)) {
    word_ = nullptr;
    column_ = 0;
    bump(line_);
    position_ = 1;
    return kTkOk;
  }
  const char kind = kinds_[c];
  if (kind == kKindOrdinary) {
    if (word_ == nullptr) {
      word_ = new_token();
      if (word_ == nullptr) return kTkTooManyTokens;
    }
    append(c);
    return kTkOk;
  }
  if (kind == kKindStrip) return kTkOk;
  word_ = nullptr;
  if (kind != kKindSeparator) return kTkOk;
  Token* sep = new_token();
  if (sep == nullptr) return kTkTooManyTokens;
  const char ch = static_cast<char>(c);
  sep->TokenValue[0] = ch;
  sep->TokenLen = 1;
  sep->TokenClass = ch;
  sep->TokenWeight = 900.0f;
  sep->TokenClose[0] = ch;
  sep->TokenOCR[0] = ch;
  return kTkOk;
}

// A fresh token at the counters, all text fields empty and all numbers 0; null when the
// list is full.
Token* Cutter::new_token() {
  if (count_ == kTkMaxTokens) return nullptr;
  Token* t = &list_[count_];
  std::memset(t, 0, sizeof(Token));
  ++count_;
  t->TokenNumber = static_cast<int16_t>(count_);
  t->TokenLine = static_cast<int16_t>(line_);
  t->TokenCol = static_cast<int16_t>(column_);
  t->TokenPosition = static_cast<int16_t>(position_);
  bump(position_);
  return t;
}

// Characters beyond the word limit are dropped; the word goes on until a boundary.
void Cutter::append(unsigned char c) {
  if (word_->TokenLen >= kWordMax) return;
  if (upper_) c = upper_char(static_cast<char>(c));
  word_->TokenValue[word_->TokenLen++] = static_cast<char>(c);
  word_->TokenValue[word_->TokenLen] = '\0';
}

}  // namespace

void set_tk_kinds(Tokenizer& block, const char* separators, const char* strip) {
  if (separators != nullptr) {
    for (const char* p = separators; *p != '\0'; ++p) block.kinds[kind_index(*p)] = kKindSeparator;
  }
  if (strip != nullptr) {
    for (const char* p = strip; *p != '\0'; ++p) {
      // A character named twice in the strip list keeps the kind of its first mention.
      char& kind = block.kinds[kind_index(*p)];
      kind = (kind == kKindSeparator || kind == kKindBoundary) ? kKindBoundary : kKindStrip;
    }
  }
  block.kinds[kind_index('\n')] = kKindBoundary;
  block.kinds[kind_index('\r')] = kKindBoundary;
}

void clear_tk_kinds(Tokenizer& block, const char* separators, const char* strip) {
  for (const char* list : {separators, strip}) {
    if (list == nullptr) continue;
    for (const char* p = list; *p != '\0'; ++p) block.kinds[kind_index(*p)] = kKindOrdinary;
  }
  block.kinds[kind_index('\n')] = kKindBoundary;
  block.kinds[kind_index('\r')] = kKindBoundary;
}

int cut_tk_text(const Tokenizer& block, const char* text, bool upper, Token* list, int* count) {
  Cutter cutter(block, upper, list);
  return cutter.run(text, count);
}

}  // namespace tovr
