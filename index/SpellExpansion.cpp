#include "index/SpellExpansion.h"

#include <cstring>

#include "frame/strings.h"
#include "index/SpellScore.h"

namespace tovr {
namespace {

// A term whose best candidate scores above this is the stored key itself.
constexpr float kBestOfOthers = 899.0f;

// A key cut at its first backslash.
struct KeyParts {
  const char* key;
  int length;
  const char* head;
  int head_length;
  const char* tail;  // after the backslash; empty without one
  int tail_length;

  KeyParts(const char* text, int size)
      : key(text), length(size), head(text), tail(text + size), tail_length(0) {
    const void* slash = std::memchr(text, '\\', static_cast<std::size_t>(size));
    head_length =
        slash == nullptr ? size : static_cast<int>(static_cast<const char*>(slash) - text);
    if (slash != nullptr) {
      tail = text + head_length + 1;
      tail_length = size - head_length - 1;
    }
  }
};

bool same_text(const char* a, int a_length, const char* b, int b_length) {
  return a_length == b_length && (a_length == 0 || str_nicmp(a, b, a_length) == 0);
}

float score_for(uint8_t mode, const KeyParts& term, const char* key, int length) {
  const KeyParts stored(key, length);
  switch (mode) {
    case kSimilarTerm:
      return spell_score(key, length, term.key, term.length);
    case kHeadTerm:
      if (term.tail_length > 0 &&
          !same_text(stored.tail, stored.tail_length, term.tail, term.tail_length)) {
        return 0.0f;
      }
      return spell_score(stored.head, stored.head_length, term.head, term.head_length);
    case kTailTerm:
      if (term.head_length > 0 &&
          !same_text(stored.head, stored.head_length, term.head, term.head_length)) {
        return 0.0f;
      }
      return spell_score(stored.tail, stored.tail_length, term.tail, term.tail_length);
    default:
      return 0.0f;
  }
}

// Scores every key of the bucket into the candidate list.
class Scorer : public KeyVisitor {
 public:
  Scorer(uint8_t mode, const KeyParts& term, float threshold)
      : mode_(mode), term_(term), threshold_(threshold) {}
  bool visit(const char* key, int length) override {
    // A stored key longer than a term's key cannot be searched as a term: it is no candidate.
    if (length > kMaxTermKey) return true;
    const float score = score_for(mode_, term_, key, length);
    if (score >= threshold_) spell_candidates().offer(key, length, score);
    return true;
  }

 private:
  uint8_t mode_;
  const KeyParts& term_;
  float threshold_;
};

// Appends every key of the bucket whose head equals the term's head.
class TailCollector : public KeyVisitor {
 public:
  TailCollector(QueryProgram& program, const KeyParts& term, XrefEntry* index)
      : program_(program), term_(term), index_(index) {}
  bool visit(const char* key, int length) override {
    const KeyParts stored(key, length);
    if (length > kMaxTermKey ||
        !same_text(stored.head, stored.head_length, term_.head, term_.head_length)) {
      return true;
    }
    char copy[kMaxTermKey + 1];
    std::memcpy(copy, key, static_cast<std::size_t>(length));
    copy[length] = '\0';
    full_ = !program_.append_term(copy, kExactTerm, index_) || !program_.append_operator(kOrOp);
    return !full_;
  }
  bool full() const { return full_; }

 private:
  QueryProgram& program_;
  const KeyParts& term_;
  XrefEntry* index_;
  bool full_ = false;
};

}  // namespace

void CandidateList::offer(const char* key, int length, float score) {
  int at = count_;
  while (at > 0 && scores_[at - 1] < score) --at;
  if (at == kMaxCandidates) return;
  const int last = count_ < kMaxCandidates ? count_ : kMaxCandidates - 1;
  for (int i = last; i > at; --i) {
    std::memcpy(keys_[i], keys_[i - 1], sizeof keys_[i]);
    scores_[i] = scores_[i - 1];
  }
  if (length > kMaxTermKey) length = kMaxTermKey;
  std::memcpy(keys_[at], key, static_cast<std::size_t>(length));
  keys_[at][length] = '\0';
  scores_[at] = score;
  if (count_ < kMaxCandidates) ++count_;
}

CandidateList& spell_candidates() {
  static CandidateList list;
  return list;
}

SpellExpander::SpellExpander(BucketKeys& bucket, float threshold, TOVR_SpellFn callback)
    : bucket_(bucket),
      threshold_(threshold < 1.0f ? kDefaultThreshold : threshold),
      callback_(callback) {}

int SpellExpander::expand(QueryProgram& program, int entry) {
  ProgramEntry& term = program.entries[entry];
  const KeyParts parts(term.key, static_cast<int>(std::strlen(term.key)));
  if (term.mode == kAllTailsTerm) {
    // A term with a backslash and a tail names one key: it is searched as written.
    if (parts.tail_length > 0) return kParseOk;
    return take_all_tails(program, entry);
  }
  spell_candidates().clear();
  Scorer scorer(term.mode, parts, threshold_);
  bucket_.scan(term.index, term.key, scorer);
  return choose(program, entry, term.mode == kHeadTerm && parts.tail_length == 0);
}

int SpellExpander::take_all_tails(QueryProgram& program, int entry) {
  ProgramEntry& term = program.entries[entry];
  const KeyParts parts(term.key, static_cast<int>(std::strlen(term.key)));
  TailCollector collector(program, parts, term.index);
  bucket_.scan(term.index, term.key, collector);
  term.op = kEmptyTermOp;
  return collector.full() ? kProgramFull : kParseOk;
}

// Hands the candidates to the callback, then joins the survivors to the term.
int SpellExpander::choose(QueryProgram& program, int entry, bool head_only) {
  CandidateList& list = spell_candidates();
  const int count = list.count();
  char* keys[kMaxCandidates];
  float scores[kMaxCandidates];
  for (int i = 0; i < count; ++i) {
    keys[i] = list.key(i);
    scores[i] = list.score(i);
  }
  ProgramEntry& term = program.entries[entry];
  XrefEntry* index = term.index;
  if (callback_ != nullptr) {
    callback_(count, keys, scores, term.key);
    list.seal();
  }
  // Only the clearing of entries is taken from the callback: a kept candidate is always the
  // list's own key, whatever the callback left in the array.
  int first = 0;
  if (count == 0 || keys[0] == nullptr || list.score(0) <= kBestOfOthers || head_only) {
    term.op = kEmptyTermOp;
  } else {
    first = 1;
  }
  for (int i = first; i < count; ++i) {
    if (keys[i] == nullptr) continue;
    if (!program.append_term(list.key(i), kExactTerm, index) || !program.append_operator(kOrOp)) {
      return kProgramFull;
    }
  }
  return kParseOk;
}

}  // namespace tovr
