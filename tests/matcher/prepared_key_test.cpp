// Scoring against a prepared match key must give what the generic comparison gives, weight
// and missing flags alike, for every type that is prepared and for the values that stress
// the preparation: blanks around values, missing codes, dates that are not digits.
#include "matcher/prepared_key.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "matcher/weights.h"

#include "support/test_random.h"

namespace tovr {
namespace {

constexpr int kRecordLength = 40;

using test::Lcg;

MatchDef define(std::int16_t type, int mk_start, int cand_start, int length, char missing,
                float param = 0, bool reverse = false) {
  MatchDef d;
  d.type = type;
  d.reverse = reverse ? 1 : 0;
  d.param = param;
  d.mk = {static_cast<std::int16_t>(mk_start), static_cast<std::int16_t>(length)};
  d.mk_missing = missing;
  d.cand_missing = missing;
  d.cand_fields = 1;
  d.cand[0] = {static_cast<std::int16_t>(cand_start), static_cast<std::int16_t>(length)};
  const WeightSet w = compute_weights(0.9f, 0.1f);
  d.agree = w.agree;
  d.disagree = w.disagree;
  d.middle = w.middle;
  return d;
}

// A field of a few letters and digits with blanks anywhere; one field in eight all blank,
// zeros or nines, so that every missing code meets its own values, and one in four numbers
// of four characters, blanks first.
void fill_field(Lcg& rnd, char* field, int length) {
  static const char kAlphabet[] = "AAB  C0129-";
  const int kind = rnd.below(8);
  for (int i = 0; i < length; ++i) {
    if (kind == 0) {
      field[i] = " 09"[rnd.below(3) == 0 ? 0 : length % 3];
    } else if (kind < 3) {
      field[i] = i % 4 < rnd.below(4) ? ' ' : static_cast<char>('0' + rnd.below(10));
    } else {
      field[i] = kAlphabet[rnd.below(sizeof kAlphabet - 1)];
    }
  }
}

// A date of eight digits near 19990101, now and then with a blank or a letter in it, or
// negative as a number.
void fill_date(Lcg& rnd, char* field) {
  std::string date =
      "1999" + std::to_string(10 + rnd.below(3)) + std::to_string(10 + rnd.below(20));
  if (rnd.below(6) == 0) date[static_cast<std::size_t>(rnd.below(8))] = " X"[rnd.below(2)];
  if (rnd.below(8) == 0) date[0] = '-';
  for (int i = 0; i < 8; ++i) field[i] = date[static_cast<std::size_t>(i)];
}

void fill_record(Lcg& rnd, char* record, const std::string& letters) {
  fill_field(rnd, record, 30);
  fill_date(rnd, record + 30);
  record[38] = letters[static_cast<std::size_t>(rnd.below(static_cast<int>(letters.size())))];
  record[39] = ' ';
  record[kRecordLength] = '\0';
}

// D_INT of a four-character match key number against the candidate's ranges at 8, 12, 16,
// 20 (far enough into the record to be read as words).
MatchDef double_range(std::int16_t mode, char missing) {
  MatchDef d = define(kDoubleInterval, 22, 0, 4, missing);
  d.mode = mode;
  d.cand_fields = 4;
  for (int i = 0; i < 4; ++i) d.cand[i] = {static_cast<std::int16_t>(8 + 4 * i), 4};
  return d;
}

TEST(PreparedKeyTest, WeightsAndMissingFlagsEqualTheGenericComparison) {
  std::vector<MatchDef> defs = {
      define(kChar, 0, 0, 6, 'S'),
      define(kUncert, 6, 6, 10, 'S', 700),
      define(kUncert, 0, 6, 10, 'Z', 850, true),
      define(kUncert, 16, 16, 14, 'X', 899.5f),
      define(kDate8, 30, 30, 8, 'S', 30),
      define(kDate8, 30, 30, 8, 'N', 0, true),
      define(kCnt, 16, 16, 6, '9', 2),
      define(kPrefix, 22, 22, 4, 'S'),
      define(kNum, 22, 22, 4, 'N'),
      define(kChar, 38, 38, 1, 'S'),
      define(kChar, 38, 39, 2, 'S'),  // the candidate field runs past the record
      double_range(kZeroVal, 'S'),
      double_range(kZeroNul, 'Z'),
      double_range(kZeroVal, 'N'),
  };
  Rules rules;
  rules.var_count = static_cast<std::int16_t>(defs.size() + 1);  // one variable without MATCH
  for (std::size_t v = 0; v < defs.size(); ++v) rules.defs[v + 1] = &defs[v];
  char mk[kRecordLength + 1];
  char cand[kRecordLength + 1];
  rules.mk_record = mk;
  char marks[2 * kRecordLength];
  CompareContext ctx;
  ctx.marks = marks;
  ctx.marks_size = sizeof marks;
  PreparedKey key;
  Lcg rnd(2024);
  for (int round = 0; round < 300; ++round) {
    fill_record(rnd, mk, "MF ");
    prepare_key(rules, kRecordLength, ctx, key);
    for (int k = 0; k < 40; ++k) {
      if (k % 10 == 0) {
        std::copy(mk, mk + kRecordLength + 1, cand);  // equal values, and equal dates
      } else {
        fill_record(rnd, cand, "MF ");
      }
      for (int v = 1; v < rules.var_count; ++v) {
        CompareContext expected = ctx;
        const std::int16_t want = field_weight(*rules.defs[v], mk, cand, kRecordLength, expected);
        CompareContext got = ctx;
        const std::int16_t have =
            prepared_weight(key, v, *rules.defs[v], mk, cand, kRecordLength, got);
        ASSERT_EQ(have, want) << "variable " << v << " [" << mk << "] [" << cand << "]";
        ASSERT_EQ(got.mk_missing, expected.mk_missing) << v;
        ASSERT_EQ(got.cand_missing, expected.cand_missing) << v;
        ASSERT_EQ(got.both_missing, expected.both_missing) << v;
        ASSERT_EQ(got.side, expected.side) << v;
        ASSERT_EQ(got.position, expected.position) << v;
      }
    }
  }
}

}  // namespace
}  // namespace tovr
