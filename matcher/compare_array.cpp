// ARRAY: the items of the match key field against the items of a candidate array. Each item
// of the side with fewer usable items is paired with the best not yet paired item of the
// other side; the result is the mean weight of the pairs.
#include "matcher/compare.h"
#include "matcher/mt_messages.h"
#include "matcher/weights.h"

namespace tovr {
namespace {

struct ItemSide {
  Text value[kMaxItems];
  bool usable[kMaxItems] = {};
  int used = 0;  // items in use
  int usable_count = 0;
};

void mark_usable(ItemSide& side, int i, char code, bool text) {
  const Text v = text ? trim_trailing(side.value[i]) : side.value[i];
  side.usable[i] = !is_missing(v, code, !text);
  if (side.usable[i]) ++side.usable_count;
}

// Items in use on the candidate side: the declared items, or fewer when the count variable
// holds a smaller count. A count beyond the declared items is held to them.
int candidate_items_in_use(const MatchDef& def, const char* record, int record_length) {
  int used = def.cand_item_count;
  if (def.cand_count_var < 0) return used;
  Text count;
  if (record_piece(record, record_length, def.cand_count.start, def.cand_count.length, &count) &&
      is_count_numeric(count) && !is_missing(count, def.cand_count_missing, true)) {
    const long long n = read_number(count);
    if (n < used) used = static_cast<int>(n);
  }
  return used;
}

}  // namespace

std::int16_t array_weight(const MatchDef& def, const Weights& w, const char* mk_record,
                          const char* cand_record, int record_length, CompareContext& ctx) {
  const std::int16_t type = def.element_type;
  const bool text = is_text_type(type);
  // The match key side has no count field: all nAItems items are in use.
  ItemSide mk;
  ItemSide cand;
  mk.used = def.item_count;
  cand.used = candidate_items_in_use(def, cand_record, record_length);
  if (mk.used <= 0 || cand.used <= 0) return w.middle;

  for (int i = 0; i < mk.used; ++i) {
    const ItemSlot& slot = def.items->item[i];
    mk.value[i] = Text{mk_record + slot.mk_offset, slot.mk_length};
    mark_usable(mk, i, def.mk_missing, text);
  }
  for (int j = 0; j < cand.used; ++j) {
    const ItemSlot& slot = def.items->item[j];
    // An item never placed, or placed outside the record, counts as missing.
    if (record_piece(cand_record, record_length, slot.cand_start, slot.cand_length,
                     &cand.value[j])) {
      mark_usable(cand, j, def.cand_missing, text);
    }
  }
  if (mk.usable_count == 0 || cand.usable_count == 0) return w.middle;

  const bool mk_drives = mk.usable_count <= cand.usable_count;
  const ItemSide& driver = mk_drives ? mk : cand;
  const ItemSide& other = mk_drives ? cand : mk;
  bool taken[kMaxItems] = {};
  long long sum = 0;
  ctx.mode_word = mt_text::kModeArray;
  ctx.assigned = 0;
  for (int i = 0; i < driver.used; ++i) {
    if (!driver.usable[i]) continue;
    int best_item = -1;
    std::int16_t best = 0;
    for (int j = 0; j < other.used; ++j) {
      if (!other.usable[j] || taken[j]) continue;
      const Text& mk_value = mk_drives ? driver.value[i] : other.value[j];
      const Text& cand_value = mk_drives ? other.value[j] : driver.value[i];
      const std::int16_t weight = compare_values(type, def, w, mk_value, cand_value, ctx);
      if (best_item < 0 || weight > best) {
        best_item = j;
        best = weight;
      }
    }
    if (best_item >= 0 && best > w.middle) {
      taken[best_item] = true;
      sum += best;
      ++ctx.assigned;
    }
  }
  ctx.mode_word = mt_text::kModeRegular;
  if (ctx.assigned == 0) return w.disagree;
  const int smaller = mk.usable_count < cand.usable_count ? mk.usable_count : cand.usable_count;
  return static_cast<std::int16_t>(sum / smaller);
}

}  // namespace tovr
