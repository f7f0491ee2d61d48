#include "matcher/prepared_key.h"

#include <cstring>

#include "matcher/mt_messages.h"
#include "matcher/weights.h"

namespace tovr {
namespace {

PreparedKind kind_of(std::int16_t type) {
  switch (type) {
    case kChar:
      return PreparedKind::kChar;
    case kUncert:
      return PreparedKind::kUncert;
    case kDate8:
      return PreparedKind::kDate8;
    case kDoubleInterval:
      return PreparedKind::kDoubleRange;
    case kPrefix:
    case kNum:
    case kAbs:
    case kProrat:
    case kTime:
    case kDelta:
    case kDate6:
    case kCnt:
      return PreparedKind::kSingleValue;
    default:
      return PreparedKind::kGeneric;
  }
}

void prepare_def(const MatchDef& def, const char* mk_record, int record_length,
                 const CompareContext& ctx, int* patterns_used, PreparedKey& key, PreparedDef& p) {
  p = PreparedDef{};
  p.kind = kind_of(def.type);
  if (p.kind == PreparedKind::kGeneric) return;
  p.w = weights_of(def);
  const int fields = p.kind == PreparedKind::kDoubleRange ? 4 : 1;
  if (def.cand_fields != fields) {
    p.kind = PreparedKind::kGeneric;
    return;
  }
  for (int i = 0; i < fields; ++i) {
    const int start = def.cand[i].start;
    const int length = def.cand[i].length;
    if (start < 0 || length < 0 || start + length > record_length) {
      p.kind = PreparedKind::kOutside;
      return;
    }
  }
  const int start = def.cand[0].start;
  const int length = def.cand[0].length;
  p.cand_start = start;
  p.cand_length = length;
  p.mk = Text{mk_record + def.mk.start, def.mk.length};
  if (p.kind == PreparedKind::kSingleValue) return;
  if (p.kind == PreparedKind::kDoubleRange) {
    p.number = interval_value(def, p.mk);
    p.wide = true;
    for (int i = 0; i < 4; ++i) p.wide = p.wide && def.cand[i].start + def.cand[i].length >= 8;
    return;
  }
  const bool text = is_text_type(def.type);
  if (text) p.mk = trim_trailing(p.mk);
  p.mk_missing = is_missing(p.mk, def.mk_missing, !text);
  if (p.kind == PreparedKind::kDate8) p.mk_days = day_number(p.mk, true, ctx);
  if (p.kind == PreparedKind::kUncert) {
    p.mk = trim_leading(p.mk);
    if (p.mk.length > 0 && p.mk.length <= 64 && *patterns_used < kPatternSlots) {
      p.pattern = (*patterns_used)++;
      build_pattern(p.mk, key.pattern[p.pattern]);
    }
  }
}

// The missing test of the candidate value against the prepared one; sets the context's
// missing flags as pair_missing does.
bool candidate_missing(const PreparedDef& p, Text cand, char code, bool numeric,
                       CompareContext& ctx) {
  const bool b = is_missing(cand, code, numeric);
  ctx.mk_missing = p.mk_missing && !b;
  ctx.cand_missing = b && !p.mk_missing;
  ctx.both_missing = p.mk_missing && b;
  return p.mk_missing || b;
}

std::int16_t char_weight(const PreparedDef& p, const MatchDef& def, Text cand,
                         CompareContext& ctx) {
  cand = trim_trailing(cand);
  if (candidate_missing(p, cand, def.cand_missing, false, ctx)) return p.w.middle;
  return cand.length == p.mk.length &&
                 std::memcmp(cand.data, p.mk.data, static_cast<std::size_t>(cand.length)) == 0
             ? p.w.agree
             : p.w.disagree;
}

std::int16_t uncert_prepared(const PreparedKey& key, const PreparedDef& p, const MatchDef& def,
                             Text cand, CompareContext& ctx) {
  cand = trim_trailing(cand);
  if (candidate_missing(p, cand, def.cand_missing, false, ctx)) return p.w.middle;
  cand = trim_leading(cand);
  const Text mk = p.mk;
  if (mk.length == cand.length &&
      std::memcmp(mk.data, cand.data, static_cast<std::size_t>(mk.length)) == 0) {
    return p.w.agree;
  }
  if (mk.length + cand.length > ctx.marks_size) return p.w.middle;
  int score = 0;
  if (p.pattern >= 0 && cand.length > 0 && cand.length <= 64) {
    score = score_by_pattern(key.pattern[p.pattern], mk, cand);
  } else {
    score = similarity_score(mk, cand, ctx.marks);
  }
  return uncert_weight_of_score(def, p.w, score);
}

std::int16_t date8_weight(const PreparedDef& p, const MatchDef& def, Text cand,
                          CompareContext& ctx) {
  if (candidate_missing(p, cand, def.cand_missing, true, ctx)) return p.w.middle;
  long long d = p.mk_days - day_number(cand, true, ctx);
  if (d < 0) d = -d;
  return weight_math::by_tolerance(p.w, d, def.param);
}

Text piece(const char* record, const Span& span) { return Text{record + span.start, span.length}; }

}  // namespace

void prepare_key(const Rules& rules, int record_length, const CompareContext& ctx,
                 PreparedKey& key) {
  int patterns_used = 0;
  for (int v = 0; v < rules.var_count; ++v) {
    if (rules.defs[v] == nullptr) continue;
    prepare_def(*rules.defs[v], rules.mk_record, record_length, ctx, &patterns_used, key,
                key.def[v]);
  }
}

std::int16_t prepared_weight(const PreparedKey& key, int v, const MatchDef& def,
                             const char* mk_record, const char* cand_record, int record_length,
                             CompareContext& ctx) {
  const PreparedDef& p = key.def[v];
  if (p.kind == PreparedKind::kGeneric) {
    return field_weight(def, mk_record, cand_record, record_length, ctx);
  }
  ctx.reverse = def.reverse;
  ctx.mode_word = mt_text::kModeRegular;
  const Text cand{cand_record + p.cand_start, p.cand_length};
  switch (p.kind) {
    case PreparedKind::kOutside:
      ctx.mk_missing = 0;
      ctx.cand_missing = 1;
      ctx.both_missing = 0;
      return p.w.middle;
    case PreparedKind::kChar:
      return char_weight(p, def, cand, ctx);
    case PreparedKind::kUncert:
      return uncert_prepared(key, p, def, cand, ctx);
    case PreparedKind::kDate8:
      return date8_weight(p, def, cand, ctx);
    case PreparedKind::kDoubleRange: {
      const Text ranges[4] = {cand, piece(cand_record, def.cand[1]),
                              piece(cand_record, def.cand[2]), piece(cand_record, def.cand[3])};
      return double_interval_weight(def, p.w, p.number, ranges, p.wide, ctx);
    }
    default:
      return compare_values(def.type, def, p.w, p.mk, cand, ctx);
  }
}

}  // namespace tovr
