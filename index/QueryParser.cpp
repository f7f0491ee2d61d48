#include "index/QueryParser.h"

namespace tovr {
namespace {

int parse_steps(const char* text, const QuerySources& sources, QueryProgram* program) {
  QueryTokens tokens;
  int result = tokenize_query(text, &tokens);
  if (result == kParseOk) result = check_query_grammar(tokens);
  if (result == kParseOk) {
    result = resolve_selectors(&tokens, sources.base, sources.resolver, sources.context);
  }
  if (result == kParseOk) result = compile_query(tokens, program, sources.expander);
  return result;
}

}  // namespace

int parse_query(const char* text, const QuerySources& sources, QueryProgram* program) {
  program->count = 0;
  int result = parse_steps(text, sources, program);
  if (result == kParseOk) return kParseOk;
  program->count = 0;
  if (result > kMaxErrorPosition) result = kMaxErrorPosition;
  return result;
}

}  // namespace tovr
