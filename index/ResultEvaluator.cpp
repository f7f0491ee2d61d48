#include "index/ResultEvaluator.h"

#include <memory>
#include <new>

#include "frame/memory.h"
#include "index/ResultAlgebra.h"

namespace tovr {
namespace {

// The evaluation stack: elements linked downwards; whatever is left is released.
class EvalStack {
 public:
  ~EvalStack() {
    while (top_ != nullptr) destroy(pop());
  }

  void push(ResultSet* s) {
    s->below = top_;
    top_ = s;
    ++depth_;
  }
  ResultSet* pop() {
    ResultSet* s = top_;
    top_ = s->below;
    s->below = nullptr;
    --depth_;
    return s;
  }
  ResultSet* top() const { return top_; }
  int depth() const { return depth_; }

 private:
  ResultSet* top_ = nullptr;
  int depth_ = 0;
};

ResultSet* new_set() {
  ResultSet* s = make<ResultSet>();
  if (s == nullptr) throw std::bad_alloc();
  return s;
}

class Evaluator {
 public:
  Evaluator(const QueryProgram& program, TermLoader& loader) : program_(program), loader_(loader) {}

  ResultSet* run() {
    if (program_.count == 0) {
      ResultSet* empty = new_set();
      empty->set_state(kEmptySet);
      return empty;
    }
    for (int i = 0; i < program_.count; ++i) {
      if (!step(i)) return nullptr;
    }
    if (stack_.depth() != 1 || !load(*stack_.top())) return nullptr;
    std::unique_ptr<ResultSet, Destroyer> result(stack_.pop());
    prepare_for_reading(*result);
    return result.release();
  }

 private:
  bool step(int i) {
    const char op = program_.entries[i].op;
    if (is_term_op(op)) {
      ResultSet* s = new_set();
      s->entry = i;
      stack_.push(s);
      return true;
    }
    if (op == kNotOp) {
      if (stack_.depth() < 1 || !load(*stack_.top())) return false;
      complement_set(*stack_.top());
      return true;
    }
    if ((op != kAndOp && op != kOrOp && op != kXorOp) || stack_.depth() < 2) return false;
    std::unique_ptr<ResultSet, Destroyer> upper(stack_.pop());
    ResultSet* lower = stack_.top();
    if (!load(*lower) || !load(*upper)) return false;
    combine_sets(*lower, *upper, op);
    return true;
  }

  bool load(ResultSet& s) {
    if (s.loaded) return true;
    s.loaded = true;
    const ProgramEntry& term = program_.entries[s.entry];
    if (term.op == kEmptyTermOp) {
      s.set_state(kEmptySet);
      return true;
    }
    return loader_.load(term, s);
  }

  const QueryProgram& program_;
  TermLoader& loader_;
  EvalStack stack_;
};

}  // namespace

ResultSet* evaluate_to_result(const QueryProgram& program, TermLoader& loader) {
  return Evaluator(program, loader).run();
}

}  // namespace tovr
