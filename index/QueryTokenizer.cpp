#include "index/QueryTokenizer.h"

#include <cstring>

namespace tovr {
namespace {

constexpr char kOperatorChars[] = "()&/|#!$=";
constexpr char kOperatorTokens[] = "()&//##$=";
constexpr int kClean = 0;

// Blanks are the space and the other white-space characters: a query typed by a person may
// carry a tab or a line end, and none of them can be part of an unquoted term.
bool is_blank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The operator token of c, or 0 when c is no operator character.
char operator_of(unsigned char c) {
  if (c == 0) return 0;
  const char* p = std::strchr(kOperatorChars, c);
  return p == nullptr ? 0 : kOperatorTokens[p - kOperatorChars];
}

class Tokenizer {
 public:
  Tokenizer(const char* text, QueryTokens* out) : text_(text), out_(out) { out_->count = 0; }

  int run() {
    for (;;) {
      const unsigned char c = at(i_);
      if (c == 0) return kClean;
      if (is_blank(c)) {
        ++i_;
        continue;
      }
      const int error = operator_of(c) != 0 ? read_operator() : read_term();
      if (error != kClean) return error;
    }
  }

 private:
  unsigned char at(int i) const { return static_cast<unsigned char>(text_[i]); }

  QueryToken* new_token(char op) {
    if (out_->count >= kMaxQueryTokens) return nullptr;
    QueryToken* t = &out_->tokens[out_->count++];
    std::memset(t, 0, sizeof *t);
    t->op = op;
    t->mode = kExactTerm;
    t->pos = i_;
    return t;
  }

  bool last_is_term() const { return out_->count > 0 && out_->tokens[out_->count - 1].is_term(); }

  int read_operator() {
    if (new_token(operator_of(at(i_))) == nullptr) return i_;
    ++i_;
    return kClean;
  }

  int read_term() {
    if (last_is_term() && new_token(kAndOp) == nullptr) return i_;
    QueryToken* t = new_token(kTermOp);
    if (t == nullptr) return i_;
    length_ = 0;
    backslash_ = false;
    const int error = at(i_) == '"' ? read_quoted(t) : read_unquoted(t);
    if (error != kClean) return error;
    close_term(t);
    return kClean;
  }

  int read_unquoted(QueryToken* t) {
    for (;;) {
      const unsigned char c = at(i_);
      if (c == 0 || is_blank(c) || operator_of(c) != 0) return kClean;
      ++i_;
      if (c == '?') {
        t->mode = kSimilarTerm;
        return kClean;
      }
      const int error = take(t, c, i_ - 1);
      if (error != kClean) return error;
    }
  }

  int read_quoted(QueryToken* t) {
    ++i_;
    for (;;) {
      const unsigned char c = at(i_);
      if (c == 0) return i_;
      ++i_;
      if (c == '"') return kClean;
      const int error = take(t, c, i_ - 1);
      if (error != kClean) return error;
    }
  }

  // A character of a term at index where: "+" sets the partial mode, anything else is kept.
  int take(QueryToken* t, unsigned char c, int where) {
    if (c == '+') {
      if (!backslash_) {
        t->mode = kHeadTerm;
      } else {
        t->mode = t->mode == kExactTerm ? kTailTerm : kSimilarTerm;
      }
      return kClean;
    }
    if (length_ >= kMaxTermKey) return where;
    if (c == '\\') backslash_ = true;
    t->key[length_++] = static_cast<char>(c);
    return kClean;
  }

  void close_term(QueryToken* t) {
    if (at(i_) == '?') {
      t->mode = kSimilarTerm;
      ++i_;
    } else if (backslash_ && t->mode == kExactTerm) {
      t->mode = kAllTailsTerm;
    }
  }

  const char* text_;
  QueryTokens* out_;
  int i_ = 0;
  int length_ = 0;
  bool backslash_ = false;
};

}  // namespace

int tokenize_query(const char* text, QueryTokens* out) { return Tokenizer(text, out).run(); }

}  // namespace tovr
