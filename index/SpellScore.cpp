#include "index/SpellScore.h"

#include <cctype>

#include "frame/strings.h"

namespace tovr {
namespace {

// Longest text compared; keys and their parts never exceed it.
constexpr int kMaxScored = 128;

int upper(char c) { return std::toupper(static_cast<unsigned char>(c)); }

int window_for(int longer) {
  if (longer < 11) return 2;
  if (longer <= 15) return 3;
  return 4;
}

bool equal_ignoring_case(const char* a, int a_length, const char* b, int b_length) {
  return a_length == b_length && (a_length == 0 || str_nicmp(a, b, a_length) == 0);
}

}  // namespace

float spell_score(const char* a, int a_length, const char* b, int b_length) {
  if (equal_ignoring_case(a, a_length, b, b_length)) return kPerfectScore;
  if (a_length > kMaxScored) a_length = kMaxScored;
  if (b_length > kMaxScored) b_length = kMaxScored;
  if (a_length == 0 || b_length == 0) return 0.0f;
  const int w = window_for(a_length > b_length ? a_length : b_length);
  bool marked_a[kMaxScored] = {};
  bool marked_b[kMaxScored] = {};
  int m = 0;
  for (int i = 0; i < a_length; ++i) {
    const int from = i - w < 0 ? 0 : i - w;
    const int to = i + w < b_length ? i + w : b_length;
    for (int j = from; j < to; ++j) {
      if (!marked_b[j] && upper(a[i]) == upper(b[j])) {
        marked_a[i] = marked_b[j] = true;
        ++m;
        break;
      }
    }
  }
  if (m == 0) return 0.0f;
  int t = 0;
  for (int i = 0, j = 0; i < a_length; ++i) {
    if (!marked_a[i]) continue;
    while (!marked_b[j]) ++j;
    if (upper(a[i]) != upper(b[j])) ++t;
    ++j;
  }
  const double fm = m;
  const double score = 300.0 * (fm / a_length + fm / b_length + (fm - t / 2.0) / fm);
  return static_cast<float>(score);
}

}  // namespace tovr
