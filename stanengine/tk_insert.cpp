#include <cstdint>
#include <cstring>

#include "stanengine/tk_block.h"

namespace tovr {
namespace {

void append_token(Token* list, int count, Token& token) {
  if (count == 0) {
    token.TokenNumber = 1;
    token.TokenPosition = 1;
    if (token.TokenLine == 0) token.TokenLine = 1;
  } else {
    const Token& last = list[count - 1];
    token.TokenNumber = static_cast<int16_t>(last.TokenNumber + 1);
    token.TokenPosition = static_cast<int16_t>(last.TokenPosition + 1);
    if (token.TokenLine < last.TokenLine) token.TokenLine = last.TokenLine;
  }
  list[count] = token;
}

// Numbers run 1, 2, ...; positions restart at 1 wherever the line changes.
void renumber(Token* list, int count) {
  for (int i = 0; i < count; ++i) {
    list[i].TokenNumber = static_cast<int16_t>(i + 1);
    const bool new_line = i == 0 || list[i].TokenLine != list[i - 1].TokenLine;
    list[i].TokenPosition =
        new_line ? int16_t{1} : static_cast<int16_t>(list[i - 1].TokenPosition + 1);
  }
}

// Puts token in place p (1-based) before the token there. Its line must lie between the
// lines of its new neighbours; when it does not, it takes the line of the token after it.
void insert_token(Token* list, int count, int p, Token& token) {
  const int at = p - 1;
  std::memmove(&list[at + 1], &list[at], sizeof(Token) * static_cast<std::size_t>(count - at));
  const int16_t next_line = list[at + 1].TokenLine;
  if (token.TokenLine == 0 || token.TokenLine > next_line ||
      (p >= 2 && token.TokenLine < list[at - 1].TokenLine)) {
    token.TokenLine = next_line;
  }
  list[at] = token;
  renumber(list, count + 1);
}

void replace_token(Token* list, int p, Token& token) {
  Token& old = list[p - 1];
  token.TokenNumber = old.TokenNumber;
  token.TokenLine = old.TokenLine;
  token.TokenPosition = old.TokenPosition;
  old = token;
}

}  // namespace

int tkInsertToken(Tokenizer* block, int table, int position, const Token* token) {
  if (!tk_valid_table(table)) return kTkBadTableNumber;
  const int count = block->counts[table];
  if (position == count + 1) position = 0;
  if (position > count || position < -count) return kTkTokenNotFound;
  // The token may be an element of the list, which the moves below overwrite.
  Token copy = *token;
  if (position < 0) {
    replace_token(block->lists[table], -position, copy);
    return kTkOk;
  }
  if (count == kTkMaxTokens) return kTkTooManyTokens;
  // A list that was never tokenized gets its room here, as at its first tokenizing.
  Token* list = tk_list_room(*block, table);
  if (list == nullptr) return kTkNoMemory;
  if (position == 0) {
    append_token(list, count, copy);
  } else {
    insert_token(list, count, position, copy);
  }
  block->counts[table] = static_cast<int16_t>(count + 1);
  return kTkOk;
}

}  // namespace tovr
