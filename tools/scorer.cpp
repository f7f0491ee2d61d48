#include "scorer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "text.h"

namespace tovr::cli {
namespace {

// Width of the line number appended to every candidate record.
constexpr size_t kLineDigits = 10;
// Status of TOVR_mtMatch for an empty candidate list, and of TOVR_mtGetCand past the last.
constexpr int kNoCandidates = 13;
constexpr int kNoSuchCandidate = 16;

std::string make_temp_dir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tovr-rules-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) return "";
  return buffer.data();
}

std::string partial_path(const std::string& dir, size_t k) {
  return dir + "/partial" + std::to_string(k) + ".rul";
}

}  // namespace

Scorer::~Scorer() {
  for (TOVR_Rules*& r : partial_) {
    if (r != nullptr) TOVR_mtFreeRules(&r);
  }
  if (rules_ != nullptr) TOVR_mtFreeRules(&rules_);
  if (mt_ != nullptr) TOVR_mtClose(mt_);
  if (!temp_dir_.empty()) {
    for (size_t k = 1; k <= outline_.comparisons().size(); ++k) {
      std::remove(partial_path(temp_dir_, k).c_str());
    }
    rmdir(temp_dir_.c_str());
  }
}

std::string Scorer::status_text(int code) {
  // The library asks for at least 59 characters.
  char text[128] = {};
  TOVR_mtQueryCodeEnum(code, text);
  return std::string(text) + " (status " + std::to_string(code) + ")";
}

bool Scorer::load(const std::string& rules, const std::string& layout, const std::string& listing,
                  std::string* error) {
  layout_ = layout;
  if (!outline_.read(rules, error)) return false;
  int status = TOVR_mtInit(&mt_, stan_.match_keys());
  if (status != 0) {
    *error = "cannot start the matcher: " + status_text(status);
    return false;
  }
  status = TOVR_mtLoad(mt_, rules.c_str(), layout.c_str(),
                       listing.empty() ? nullptr : listing.c_str(), &rules_);
  if (status != 0) {
    *error = rules + ": " + status_text(status);
    return false;
  }
  return true;
}

std::string Scorer::record_of(const Candidate& c) const {
  char number[32];
  std::snprintf(number, sizeof number, "%0*ld", static_cast<int>(kLineDigits), c.line);
  return fit(c.record, width_) + number;
}

bool Scorer::run(TOVR_Rules* rules, const std::vector<Candidate>& candidates, size_t top,
                 std::vector<Scored>* best, std::string* error) {
  best->clear();
  size_t length = width_ + kLineDigits;
  TOVR_List* list = nullptr;
  int status = TOVR_mtNewList(mt_, static_cast<short>(length), &list);
  for (size_t i = 0; status == 0 && i < candidates.size(); ++i) {
    status = TOVR_mtNewCand(mt_, list, record_of(candidates[i]).c_str());
  }
  TOVR_Case* match_case = nullptr;
  if (status == 0) status = TOVR_mtMatch(mt_, rules, list, &match_case);
  if (status == kNoCandidates) status = 0;
  std::vector<char> record(length + 16);
  for (size_t r = 1; status == 0 && match_case != nullptr && r <= top; ++r) {
    short weight = 0;
    char side = ' ';
    float position = 0;
    int got = TOVR_mtGetCand(mt_, match_case, static_cast<short>(-static_cast<long>(r)),
                             record.data(), &weight, &side, &position);
    if (got == kNoSuchCandidate || got == kNoCandidates) break;
    if (got != 0) {
      status = got;
      break;
    }
    long line = 0;
    std::string text(record.data());
    if (text.size() >= kLineDigits) parse_long(text.substr(text.size() - kLineDigits), &line);
    best->push_back({line, weight, side == '\0' ? ' ' : side, position});
  }
  if (match_case != nullptr) TOVR_mtEndMatch(mt_, &match_case);
  if (list != nullptr) TOVR_mtFreeCands(mt_, &list);
  if (status != 0) {
    *error = "matching failed: " + status_text(status);
    return false;
  }
  return true;
}

bool Scorer::score(const std::vector<Candidate>& candidates, size_t top, std::vector<Scored>* best,
                   std::string* error) {
  return run(rules_, candidates, top, best, error);
}

bool Scorer::load_partial_rules(std::string* error) {
  if (!partial_.empty() || outline_.comparisons().empty()) return true;
  temp_dir_ = make_temp_dir();
  if (temp_dir_.empty()) {
    *error = "cannot make a temporary directory for the partial rules files";
    return false;
  }
  for (size_t k = 1; k <= outline_.comparisons().size(); ++k) {
    std::string path = partial_path(temp_dir_, k);
    std::ofstream(path) << outline_.partial_rules(k);
    TOVR_Rules* rules = nullptr;
    int status = TOVR_mtLoad(mt_, path.c_str(), layout_.c_str(), nullptr, &rules);
    if (status != 0) {
      *error = "cannot load the rules of the first " + std::to_string(k) +
               " comparisons: " + status_text(status);
      return false;
    }
    partial_.push_back(rules);
  }
  return true;
}

bool Scorer::explain(const Candidate& candidate, std::vector<FieldScore>* fields,
                     std::string* error) {
  fields->clear();
  if (!load_partial_rules(error)) return false;
  int previous = 0;
  for (size_t k = 0; k < partial_.size(); ++k) {
    std::vector<Scored> best;
    if (!run(partial_[k], {candidate}, 1, &best, error)) return false;
    int total = best.empty() ? 0 : best[0].weight;
    const RulesComparison& c = outline_.comparisons()[k];
    FieldScore f;
    f.comparison = &c;
    f.weight = total - previous;
    previous = total;
    std::vector<std::string> keys;
    for (const std::string& name : c.key_fields) {
      keys.push_back(name + "=" + stan_.value(layout_, name));
    }
    std::vector<std::string> vars;
    for (const std::string& name : c.variables) {
      const RulesVariable* v = outline_.variable(name);
      std::string value;
      if (v != nullptr && v->start >= 0 &&
          static_cast<size_t>(v->start) < candidate.record.size()) {
        value = trim(candidate.record.substr(v->start, v->length));
      }
      vars.push_back(name + "=" + value);
    }
    f.key_values = join(keys, " ");
    f.candidate_values = join(vars, " ");
    fields->push_back(f);
  }
  return true;
}

}  // namespace tovr::cli
