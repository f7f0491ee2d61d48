#include "index/QueryCompiler.h"

namespace tovr {
namespace {

constexpr char kOpenOp = '(';
constexpr char kCloseOp = ')';

int binding(char op) {
  switch (op) {
    case kNotOp:
      return 3;
    case kAndOp:
      return 2;
    case kOrOp:
    case kXorOp:
      return 1;
    default:
      return 0;  // "(" binds nothing: unstacking stops there
  }
}

class Compiler {
 public:
  Compiler(QueryProgram* program, TermExpander* expander) : program_(program), expander_(expander) {
    program_->count = 0;
  }

  int run(const QueryTokens& tokens) {
    for (int i = 0; i < tokens.count; ++i) {
      const int result = step(tokens.tokens[i]);
      if (result != kParseOk) return result;
    }
    while (depth_ > 0) {
      const QueryToken* top = stack_[--depth_];
      if (top->op == kOpenOp) return top->pos + 1;
      if (!program_->append_operator(top->op)) return kProgramFull;
    }
    return kParseOk;
  }

 private:
  int step(const QueryToken& t) {
    if (t.is_term()) return term(t);
    if (t.op == kOpenOp) {
      stack_[depth_++] = &t;
      return kParseOk;
    }
    if (t.op == kCloseOp) return close(t);
    // "#" is a prefix operator: it has no left operand, so nothing waits to be unstacked
    // before it (unstacking an earlier "#" there would place it before its operand).
    if (t.op != kNotOp) {
      while (depth_ > 0 && binding(stack_[depth_ - 1]->op) >= binding(t.op)) {
        if (!program_->append_operator(stack_[--depth_]->op)) return kProgramFull;
      }
    }
    stack_[depth_++] = &t;
    return kParseOk;
  }

  int term(const QueryToken& t) {
    if (!program_->append_term(t.key, t.mode, t.index)) return kProgramFull;
    if (t.mode == kExactTerm || expander_ == nullptr) return kParseOk;
    return expander_->expand(*program_, program_->count - 1);
  }

  int close(const QueryToken& t) {
    while (depth_ > 0 && stack_[depth_ - 1]->op != kOpenOp) {
      if (!program_->append_operator(stack_[--depth_]->op)) return kProgramFull;
    }
    if (depth_ == 0) return t.pos + 1;
    --depth_;
    return kParseOk;
  }

  QueryProgram* program_;
  TermExpander* expander_;
  const QueryToken* stack_[kMaxQueryTokens];  // operators and "(" waiting, at most one per token
  int depth_ = 0;
};

}  // namespace

int compile_query(const QueryTokens& tokens, QueryProgram* program, TermExpander* expander) {
  return Compiler(program, expander).run(tokens);
}

}  // namespace tovr
