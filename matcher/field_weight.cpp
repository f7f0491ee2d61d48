// The weight of one match definition for one candidate: the values are taken from the two
// records and handed to the comparison of the definition's type.
#include "matcher/compare.h"
#include "matcher/mt_messages.h"

namespace tovr {
namespace {

// LR_CHAR and LR_UNCERT: EITHER takes the better of the two candidate fields; BASED_PREV
// takes the field of the side that an earlier D_INT found.
std::int16_t lr_weight(std::int16_t base, const MatchDef& def, const Weights& w, Text mk,
                       const Text cand[4], CompareContext& ctx) {
  if (def.mode == kEither) {
    const std::int16_t first = compare_values(base, def, w, mk, cand[0], ctx);
    const std::int16_t second = compare_values(base, def, w, mk, cand[1], ctx);
    return first > second ? first : second;
  }
  if (ctx.side == kSideLeft) return compare_values(base, def, w, mk, cand[0], ctx);
  if (ctx.side == kSideRight) return compare_values(base, def, w, mk, cand[1], ctx);
  return w.middle;
}

}  // namespace

std::int16_t field_weight(const MatchDef& def, const char* mk_record, const char* cand_record,
                          int record_length, CompareContext& ctx) {
  ctx.reverse = def.reverse;
  ctx.mode_word = mt_text::kModeRegular;
  const Weights w = weights_of(def);
  if (def.type == kArray) {
    return array_weight(def, w, mk_record, cand_record, record_length, ctx);
  }
  const Text mk{mk_record + def.mk.start, def.mk.length};
  const Text mk2 = def.mk2.start >= 0 ? Text{mk_record + def.mk2.start, def.mk2.length} : Text{};
  Text cand[4];
  for (int i = 0; i < def.cand_fields; ++i) {
    if (!record_piece(cand_record, record_length, def.cand[i].start, def.cand[i].length,
                      &cand[i])) {
      ctx.mk_missing = 0;
      ctx.cand_missing = 1;
      ctx.both_missing = 0;
      return w.middle;
    }
  }
  switch (def.type) {
    case kLrChar:
      return lr_weight(kChar, def, w, mk, cand, ctx);
    case kLrUncert:
      return lr_weight(kUncert, def, w, mk, cand, ctx);
    case kIntervalNo:
      return interval_weight(def, w, mk, cand[0], cand[1], false, ctx);
    case kIntervalPar:
      return interval_weight(def, w, mk, cand[0], cand[1], true, ctx);
    case kDoubleInterval:
      return double_interval_weight(def, w, mk, cand, ctx);
    case kIntToInt:
      return int_to_int_weight(def, w, mk, mk2, cand[0], cand[1], ctx);
    case kDistance:
      return distance_weight(def, w, mk, mk2, cand[0], cand[1], ctx);
    default:
      return compare_values(def.type, def, w, mk, cand[0], ctx);
  }
}

}  // namespace tovr
