// tblScore: a Jaro-style similarity of a table entry and a key, scaled to 900, with an
// optional allowance for characters that optical character reading confuses.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "frame/strings.h"
#include "matchkey/tables/table_internal.h"

namespace tovr {
namespace {

constexpr int kConfusionPlaces = 6;
constexpr float kPlaceWeights[kConfusionPlaces] = {0.857f, 0.714f, 0.571f, 0.428f, 0.286f, 0.143f};

struct ConfusionRow {
  char read;
  const char* mistaken_for;  // likeliest first
};

// For a character of the key: the characters that optical reading may have mistaken for it.
constexpr ConfusionRow kConfusionRows[] = {
    {'*', "xkwmZY"}, {'0', "OQe7"},   {'1', "litZjr"}, {'2', "zkaR"},   {'3', "JZBaG8"},
    {'4', "fQXA"},   {'5', "fb3JS"},  {'6', "bdmG5"},  {'7', "ly1FWV"}, {'8', "aBgs63"},
    {'9', "qgwp5"},  {'A', "zgXR4"},  {'B', "8asGR"},  {'C', "gtdeO"},  {'D', "bO09np"},
    {'E', "fgZsr"},  {'F', "vkP"},    {'G', "Q6cs"},   {'H', "MWKN"},   {'I', "Zxfl1Y"},
    {'K', "XyH"},    {'L', "bkhni1"}, {'M', "hNX"},    {'N', "WMuH4"},  {'O', "Q0aceD"},
    {'P', "qf9"},    {'R', "kgxHA8"}, {'S', "53G8"},   {'T', "rf7Y1"},  {'U', "VWg0"},
    {'V', "wyQM"},   {'W', "lhp"},    {'Y', "vw9"},    {'a', "J2"},     {'c', "e"},
    {'d', "qc"},     {'e', "aBs"},    {'g', "q9"},     {'h', "b"},      {'i', "1g"},
    {'l', "1i"},     {'n', "mOR"},    {'o', "c"},      {'p', "u"},      {'r', "wtFY"},
    {'s', "h"},      {'t', "fdr"},    {'y', "VF"},
};

// The confusion lists indexed by character code 32..127; empty for characters without a row.
constexpr std::array<const char*, 96> make_confusion_index() {
  std::array<const char*, 96> index{};
  for (auto& entry : index) entry = "";
  for (const ConfusionRow& row : kConfusionRows) index[row.read - 32] = row.mistaken_for;
  return index;
}
constexpr std::array<const char*, 96> kConfusionIndex = make_confusion_index();

const char* confusion_list(char c) {
  const int code = static_cast<unsigned char>(c);
  return code >= 32 && code <= 127 ? kConfusionIndex[code - 32] : "";
}

unsigned char upper(char c) { return upper_char(c); }

int window_for(int len1, int len2) {
  const int maxlen = len1 > len2 ? len1 : len2;
  return maxlen <= 10 ? 2 : maxlen <= 15 ? 3 : 4;
}

class Scorer {
 public:
  Scorer(const char* s1, int len1, const char* s2, int len2)
      : s1_(s1), s2_(s2), len1_(len1), len2_(len2) {
    // Only the markers of the two values' characters are used.
    std::memset(matched1_, 0, static_cast<std::size_t>(len1));
    std::memset(matched2_, 0, static_cast<std::size_t>(len2));
    window_ = window_for(len1, len2);
  }

  double score(bool ocr) {
    match_equal_characters();
    const float t = transpositions();
    return ocr ? ocr_score(t) : plain_score(t);
  }

 private:
  int window_start(int i) const { return i - window_ < 0 ? 0 : i - window_; }
  int window_end(int i) const { return i + window_ < len2_ ? i + window_ : len2_; }

  void match_equal_characters() {
    for (int i = 0; i < len1_; ++i) {
      for (int j = window_start(i); j < window_end(i); ++j) {
        if (!matched2_[j] && upper(s2_[j]) == upper(s1_[i])) {
          matched1_[i] = matched2_[j] = true;
          ++m_;
          break;
        }
      }
    }
  }

  // Pairs of the matched characters of s1 and s2, each in its own order, that differ; halved.
  float transpositions() const {
    float t = 0.0f;
    int j = 0;
    for (int i = 0; i < len1_; ++i) {
      if (!matched1_[i]) continue;
      while (!matched2_[j]) ++j;
      if (upper(s1_[i]) != upper(s2_[j])) t += 1.0f;
      ++j;
    }
    return t / 2.0f;
  }

  double plain_score(float t) const {
    const float m = static_cast<float>(m_);
    if (m < 1.0f) return 0.0;
    return jaro_score(m, t, len1_, len2_);
  }

  double ocr_score(float t) {
    float w1[kTblMaxKey] = {};
    float w2[kTblMaxScoreKey] = {};
    for (int i = 0; i < len1_; ++i) w1[i] = matched1_[i] ? 1.0f : 0.0f;
    for (int j = 0; j < len2_; ++j) w2[j] = matched2_[j] ? 1.0f : 0.0f;
    for (int i = 0; i < len1_; ++i) {
      if (!matched1_[i]) match_confused(i, w1, w2);
    }
    float sum1 = 0.0f;
    float sum2 = 0.0f;
    for (int i = 0; i < len1_; ++i) sum1 += w1[i];
    for (int j = 0; j < len2_; ++j) sum2 += w2[j];
    float mw = sum1 < sum2 ? sum1 : sum2;
    if (mw < 1.0f) {
      mw = 1.0f;
      t = 1.0f;
    }
    return 300.0f * sum1 / static_cast<float>(len1_) + 300.0f * sum2 / static_cast<float>(len2_) +
           300.0f * (mw - t) / mw;
  }

  // Matches s1[i] to the first unmatched character of s2 in its window that optical reading
  // may have mistaken it for, trying the likeliest confusions first.
  void match_confused(int i, float* w1, float* w2) {
    for (int k = 0; k < kConfusionPlaces; ++k) {
      for (int j = window_start(i); j < window_end(i); ++j) {
        if (matched2_[j]) continue;
        const char* list = confusion_list(s2_[j]);
        if (static_cast<int>(std::strlen(list)) <= k || upper(list[k]) != upper(s1_[i])) continue;
        matched1_[i] = matched2_[j] = true;
        w1[i] = w2[j] = kPlaceWeights[k];
        return;
      }
    }
  }

  const char* s1_;
  const char* s2_;
  int len1_;
  int len2_;
  int window_ = 2;
  int m_ = 0;
  bool matched1_[kTblMaxKey];
  bool matched2_[kTblMaxScoreKey];
};

}  // namespace

double jaro_score(float m, float t, int len1, int len2) {
  return 300.0f * m / static_cast<float>(len1) + 300.0f * m / static_cast<float>(len2) +
         300.0f * (m - t) / m;
}

KeyPattern::KeyPattern(const char* key, char ocr_flag, int match_type)
    : key_(key),
      ocr_flag_(ocr_flag),
      match_type_(match_type),
      length_(static_cast<int>(std::strlen(key))) {
  bit_parallel_ = match_type == 0 && ocr_flag != 'O' && length_ >= 1 && length_ <= kMaxLength;
  if (!bit_parallel_) return;
  std::memset(where_, 0, sizeof where_);
  for (int j = 0; j < length_; ++j) where_[upper(key_[j])] |= 1ULL << j;
}

// The window of entry position i is the key positions [i - window, i + window): below_end
// holds the positions below its end, before_start those below its start. The first free
// position of the window holding the same upper-cased character is taken, as the plain walk
// takes it.
double KeyPattern::score(const char* entry) const {
  const std::size_t entry_length = std::strlen(entry);
  if (!bit_parallel_ || entry_length > kMaxLength) {
    return tblScore(entry, key_, ocr_flag_, match_type_);
  }
  return score_bits(entry, static_cast<int>(entry_length));
}

// The score grows with the number of common characters and shrinks with the transpositions,
// in float arithmetic too; so the score of `most` common characters and none out of order
// bounds every score the entry can have.
double KeyPattern::score_reaching(const char* entry, double threshold) const {
  if (!bit_parallel_) return tblScore(entry, key_, ocr_flag_, match_type_);
  // The entry's length and its characters that occur in the key, in one walk.
  int len1 = 0;
  int present = 0;
  for (; entry[len1] != '\0'; ++len1) {
    if (len1 == kMaxLength) return tblScore(entry, key_, ocr_flag_, match_type_);
    present += where_[upper(entry[len1])] != 0;
  }
  const int most = present < length_ ? present : length_;
  if (most == 0) return 0.0;
  if (jaro_score(static_cast<float>(most), 0.0f, len1, length_) < threshold) return 0.0;
  return score_bits(entry, len1);
}

double KeyPattern::score_bits(const char* entry, int len1) const {
  if (len1 == length_ && str_nicmp(entry, key_, len1) == 0) return 900.0;
  if (len1 == 0) return 0.0;
  const int window = window_for(len1, length_);
  std::uint64_t below_end = (1ULL << window) - 1;
  std::uint64_t before_start = 0;
  std::uint64_t taken = 0;
  unsigned char common[kMaxLength];
  int m = 0;
  for (int i = 0; i < len1; ++i) {
    const unsigned char c = upper(entry[i]);
    const std::uint64_t open = where_[c] & below_end & ~before_start & ~taken;
    taken |= open & (0 - open);
    common[m] = c;
    m += open != 0;
    below_end = (below_end << 1) | 1;
    if (i >= window) before_start = (before_start << 1) | 1;
  }
  if (m == 0) return 0.0;
  int out_of_order = 0;
  for (int k = 0; k < m; ++k) {
    out_of_order += common[k] != upper(key_[std::countr_zero(taken)]);
    taken &= taken - 1;
  }
  return jaro_score(static_cast<float>(m), static_cast<float>(out_of_order) / 2.0f, len1, length_);
}

double tblScore(const char* entry, const char* key, char ocr_flag, int match_type) {
  if (entry == nullptr || key == nullptr) return 0.0;
  const std::size_t len1 = std::strlen(entry);
  const std::size_t key_length = std::strlen(key);
  const char* s2 = key;
  std::size_t len2 = key_length;
  if (match_type == 1 && key_length > len1) {
    len2 = len1;
  } else if (match_type == 2 && key_length > len1) {
    s2 = key + (key_length - len1);
    len2 = len1;
  }
  if (len1 > kTblMaxKey || len2 > kTblMaxScoreKey) return 0.0;
  const int n1 = static_cast<int>(len1);
  const int n2 = static_cast<int>(len2);
  if (n1 == n2 && str_nicmp(entry, s2, n1) == 0) return 900.0;
  // With one side empty nothing can match (and the ratios would divide by zero).
  if (n1 == 0 || n2 == 0) return 0.0;
  return Scorer(entry, n1, s2, n2).score(ocr_flag == 'O');
}

}  // namespace tovr
