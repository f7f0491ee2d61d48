// The record matcher as the tool drives it: a match control block over the match key
// control block of a standardizer, a rules file, and candidate records that carry their
// line number behind the columns the rules read, so that each ranked candidate is known.
#pragma once

#include <string>
#include <vector>

#include "rules_outline.h"
#include "standardizer.h"
#include "tovr.h"

namespace tovr::cli {

// One candidate as handed to the matcher: its line, and its record (which may differ from
// the line in the file when the caller prepares it).
struct Candidate {
  long line = 0;
  std::string record;
};

struct Scored {
  long line = 0;
  int weight = 0;
  char side = ' ';     // L, R or blank
  float position = 0;  // percent along an interval
};

struct FieldScore {
  const RulesComparison* comparison = nullptr;
  std::string key_values;        // NAME=value of each match key field
  std::string candidate_values;  // NAME=value of each candidate variable
  int weight = 0;
};

class Scorer {
 public:
  explicit Scorer(const Standardizer& stan) : stan_(stan) {}
  ~Scorer();
  Scorer(const Scorer&) = delete;
  Scorer& operator=(const Scorer&) = delete;

  // Loads the rules file for layout; listing names the file for the library's listing
  // ("" for none). The library lists problems on standard error.
  bool load(const std::string& rules, const std::string& layout, const std::string& listing,
            std::string* error);
  const RulesOutline& outline() const { return outline_; }
  const std::string& layout() const { return layout_; }

  // Every candidate record is padded to width before the line number is appended.
  void set_record_width(size_t width) { width_ = width; }

  // Scores the layout's current match key against the candidates; *best receives at most
  // top of them, best first.
  bool score(const std::vector<Candidate>& candidates, size_t top, std::vector<Scored>* best,
             std::string* error);
  // Weight of each comparison for one candidate, in the order the matcher visits them.
  bool explain(const Candidate& candidate, std::vector<FieldScore>* fields, std::string* error);

  static std::string status_text(int code);

 private:
  bool run(TOVR_Rules* rules, const std::vector<Candidate>& candidates, size_t top,
           std::vector<Scored>* best, std::string* error);
  bool load_partial_rules(std::string* error);
  std::string record_of(const Candidate& c) const;

  const Standardizer& stan_;
  TOVR_Mt* mt_ = nullptr;
  TOVR_Rules* rules_ = nullptr;
  RulesOutline outline_;
  std::string layout_;
  size_t width_ = 0;
  std::vector<TOVR_Rules*> partial_;  // partial_[k]: the first k + 1 comparisons
  std::string temp_dir_;
};

}  // namespace tovr::cli
