#include "stanengine/tokenizer.h"

#include "frame/memory.h"
#include "stanengine/tk_block.h"
#include "stanengine/tk_classify.h"
#include "stanengine/tk_cut.h"
#include "stanengine/tk_modes.h"

namespace tovr {

Token* tk_list_room(Tokenizer& block, int table) {
  if (block.lists[table] == nullptr) {
    block.lists[table] = static_cast<Token*>(mem_alloc(sizeof(Token) * kTkMaxTokens));
  }
  return block.lists[table];
}

int tkInit(Tokenizer** block) {
  *block = static_cast<Tokenizer*>(mem_alloc_zeroed(1, sizeof(Tokenizer)));
  return *block == nullptr ? kTkInitFailed : kTkOk;
}

int tkClose(Tokenizer* block) {
  if (block == nullptr) return kTkOk;
  for (int table = 0; table < kTkLists; ++table) tkFreeToken(block, table);
  mem_free(block);
  return kTkOk;
}

int tkFreeToken(Tokenizer* block, int table) {
  if (!tk_valid_table(table)) return kTkBadTableNumber;
  mem_free(block->lists[table]);
  block->lists[table] = nullptr;
  block->counts[table] = 0;
  return kTkOk;
}

int tkGetN(Tokenizer* block, int table, int* count) {
  if (!tk_valid_table(table)) return kTkBadTableNumber;
  *count = block->counts[table];
  return kTkOk;
}

namespace {

int classify_all(TableRegistry* registry, Token* list, int count, const char* cls_table,
                 const TkModes& modes, int prefix) {
  for (int i = 0; i < count; ++i) {
    const int status = classify_tk_token(registry, list[i], cls_table, modes, prefix);
    if (status != kTkOk) return status;
  }
  return kTkOk;
}

}  // namespace

int tkTokenize(Tokenizer* block, TableRegistry* registry, int table, const char* text,
               const char* cls_table, const char* modes, const char* separators, const char* strip,
               int prefix, Token** list) {
  if (!tk_valid_table(table)) return kTkBadTableNumber;
  TkModes parsed;
  if (!parse_tk_modes(modes, &parsed)) return kTkBadMode;
  Token* tokens = tk_list_room(*block, table);
  if (tokens == nullptr) return kTkNoMemory;
  block->counts[table] = 0;

  // The kinds are set for this text only; every return below passes through the reset.
  set_tk_kinds(*block, separators, strip);
  int count = 0;
  int status = cut_tk_text(*block, text, parsed.upper, tokens, &count);
  if (status == kTkOk) {
    block->counts[table] = static_cast<int16_t>(count);
    if (list != nullptr) *list = tokens;
    status = classify_all(registry, tokens, count, cls_table, parsed, prefix);
  }
  clear_tk_kinds(*block, separators, strip);
  return status;
}

}  // namespace tovr
