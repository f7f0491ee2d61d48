// How the query engine reaches the key tree: the keys of a bucket chain for the spelling
// expansion, and the record pointers of a term for the result sets.
#pragma once

#include "index/ResultEvaluator.h"
#include "index/SpellExpansion.h"

namespace tovr {

// Terms name their sequence by its cross-reference entry: a sequence closed after the
// query was compiled has no handle any more, and its terms then read as absent keys.

// The keys of the bucket that a key's head codes to: the tree is walked by the key's code
// and the bucket page and its overflow pages are read in chain order.
class IndexBucketKeys : public BucketKeys {
 public:
  void scan(XrefEntry* index, const char* key, KeyVisitor& visitor) override;
};

// Reads a term's set with an exact search in the term's sequence: a single pointer or a
// relation gives a list (in chain order), a bitmap a copy of each of its segment pages.
class IndexTermLoader : public TermLoader {
 public:
  bool load(const ProgramEntry& term, ResultSet& out) override;
};

}  // namespace tovr
