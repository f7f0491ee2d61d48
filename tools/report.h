// Printing shared by match and geocode: candidate lines and the field-by-field table of an
// explained score.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "scorer.h"

namespace tovr::cli {

// "match" or "below" against the cut-off; empty without one.
std::string decision(int weight, std::optional<double> cutoff);
// Writes the comparisons of one candidate, their values and weights, and the total.
void print_explanation(FILE* out, const std::vector<FieldScore>& fields, const char* indent);
// The side of a candidate for display: L, R, or '-' when no interval set one.
char side_mark(char side);
// A record shortened for display: blank runs collapsed.
std::string display_record(const std::string& record);

}  // namespace tovr::cli
