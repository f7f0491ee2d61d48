// The spelling expansion: a query term that is not exact is widened to the similar keys of
// its own bucket (the keys whose head codes like the term's head), scored by spell_score.
//
//   similar    key?        score(stored key, term key)
//   head       key+        score(stored head, term head), when the term has no tail or the
//                          tails are equal (without regard to case); else 0
//   tail       head\tail+  score(stored tail, term tail), when the term has no head or the
//                          heads are equal; else 0
//   all tails  head\       every key with an equal head, taken at once, without scoring
//
// Candidates scoring at least the threshold are kept, best first, at most 100; the host's
// callback may then drop some. The term and the candidates are joined by "/": a term whose
// best candidate is the term itself (score 900) stays and the other candidates follow it;
// otherwise the term becomes empty and every candidate follows it.
#pragma once

#include "include/tovr.h"
#include "index/QueryCompiler.h"

namespace tovr {

inline constexpr int kMaxCandidates = 100;
inline constexpr float kDefaultThreshold = 700.0f;

// The best candidates of one expansion, sorted by descending score; equal scores keep the
// earlier candidate first. The list is a single process-wide buffer of 100 keys.
class CandidateList {
 public:
  void clear() { count_ = 0; }
  // Keeps key[0..length) when it beats the hundredth candidate; length is at most 79.
  void offer(const char* key, int length, float score);
  int count() const { return count_; }
  char* key(int i) { return keys_[i]; }
  float score(int i) const { return scores_[i]; }
  // Terminates every key at its last byte, whatever a callback wrote into it.
  void seal() {
    for (int i = 0; i < count_; ++i) keys_[i][kMaxTermKey] = '\0';
  }

 private:
  int count_ = 0;
  char keys_[kMaxCandidates][kMaxTermKey + 1];
  float scores_[kMaxCandidates];
};

CandidateList& spell_candidates();

// Receives the stored keys of a bucket chain one by one; false stops the scan.
class KeyVisitor {
 public:
  virtual ~KeyVisitor() = default;
  virtual bool visit(const char* key, int length) = 0;
};

// The stored keys of the bucket that a term's key leads to.
class BucketKeys {
 public:
  virtual ~BucketKeys() = default;
  // Visits every key of the bucket chain of key in index, in chain order. A chain that
  // cannot be read to its end ends the scan there.
  virtual void scan(XrefEntry* index, const char* key, KeyVisitor& visitor) = 0;
};

class SpellExpander : public TermExpander {
 public:
  // A threshold below 1.0 means the default of 700; callback may be null.
  SpellExpander(BucketKeys& bucket, float threshold, TOVR_SpellFn callback);
  int expand(QueryProgram& program, int entry) override;

 private:
  int take_all_tails(QueryProgram& program, int entry);
  int choose(QueryProgram& program, int entry, bool head_only);

  BucketKeys& bucket_;
  float threshold_;
  TOVR_SpellFn callback_;
};

}  // namespace tovr
