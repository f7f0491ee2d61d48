#include "report.h"

#include <algorithm>

#include "text.h"

namespace tovr::cli {

std::string decision(int weight, std::optional<double> cutoff) {
  if (!cutoff) return "";
  return weight >= *cutoff ? "match" : "below";
}

void print_explanation(FILE* out, const std::vector<FieldScore>& fields, const char* indent) {
  size_t key_width = 9;
  size_t cand_width = 9;
  for (const FieldScore& f : fields) {
    key_width = std::max(key_width, f.key_values.size());
    cand_width = std::max(cand_width, f.candidate_values.size());
  }
  std::fprintf(out, "%s%-13s %-*s  %-*s  %6s\n", indent, "comparison", static_cast<int>(key_width),
               "match key", static_cast<int>(cand_width), "candidate", "weight");
  int total = 0;
  for (const FieldScore& f : fields) {
    std::string type = (f.comparison->reverse ? "R" : "") + f.comparison->type;
    std::fprintf(out, "%s%-13s %-*s  %-*s  %6d\n", indent, type.c_str(),
                 static_cast<int>(key_width), f.key_values.c_str(), static_cast<int>(cand_width),
                 f.candidate_values.c_str(), f.weight);
    total += f.weight;
  }
  std::fprintf(out, "%s%-13s %-*s  %-*s  %6d\n", indent, "total", static_cast<int>(key_width), "",
               static_cast<int>(cand_width), "", total);
}

char side_mark(char side) { return side == 'L' || side == 'R' ? side : '-'; }

std::string display_record(const std::string& record) { return collapse_blanks(record); }

}  // namespace tovr::cli
