#include "index/QueryGrammar.h"

#include "index/IndexTables.h"

namespace tovr {
namespace {

constexpr char kSelectOp = '=';
constexpr char kOpenOp = '(';
constexpr char kCloseOp = ')';

int position_of(const QueryToken& t) { return t.pos + 1; }

bool closes_operand(const QueryToken& t) { return t.is_term() || t.op == kCloseOp; }

bool may_follow(const QueryToken& prev, const QueryToken& cur) {
  switch (cur.op) {
    case kNotOp:
    case kOpenOp:
      return !closes_operand(prev);
    case kAndOp:
    case kOrOp:
    case kXorOp:
    case kCloseOp:
      return closes_operand(prev);
    case kSelectOp:
      return prev.is_term();
    default:
      return prev.op != kCloseOp;
  }
}

}  // namespace

int check_query_grammar(const QueryTokens& tokens) {
  if (tokens.count == 0) return 1;
  const QueryToken& first = tokens.tokens[0];
  if (!first.is_term() && first.op != kOpenOp && first.op != kNotOp) return position_of(first);
  for (int i = 1; i < tokens.count; ++i) {
    if (!may_follow(tokens.tokens[i - 1], tokens.tokens[i])) return position_of(tokens.tokens[i]);
  }
  const QueryToken& last = tokens.tokens[tokens.count - 1];
  return closes_operand(last) ? 0 : position_of(last);
}

XrefEntry* resolve_open_index(const char* name, void*) {
  XrefEntry* entry = find_entry(name);
  return entry != nullptr && entry->handle != nullptr ? entry : nullptr;
}

int resolve_selectors(QueryTokens* tokens, XrefEntry* base, IndexResolver resolver, void* context) {
  XrefEntry* stack[kMaxQueryNesting];
  int depth = 0;
  XrefEntry* current = base;
  XrefEntry* selected = nullptr;  // named by the last selector, for the next term or group
  int kept = 0;
  for (int i = 0; i < tokens->count; ++i) {
    QueryToken& t = tokens->tokens[i];
    if (t.is_term() && i + 1 < tokens->count && tokens->tokens[i + 1].op == kSelectOp) {
      selected = resolver(t.key, context);
      if (selected == nullptr) return position_of(t);
      ++i;
      continue;
    }
    if (t.op == kOpenOp) {
      if (depth == kMaxQueryNesting) return position_of(t);
      stack[depth++] = current;
      if (selected != nullptr) current = selected;
      selected = nullptr;
    } else if (t.op == kCloseOp) {
      if (depth == 0) return position_of(t);
      current = stack[--depth];
    } else if (t.is_term()) {
      t.index = selected != nullptr ? selected : current;
      selected = nullptr;
    }
    tokens->tokens[kept++] = t;
  }
  tokens->count = kept;
  return 0;
}

}  // namespace tovr
