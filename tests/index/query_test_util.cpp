#include "query_test_util.h"

#include <strings.h>

namespace tovr::test {

XrefEntry* FakeIndexes::resolve(const char* name, void* context) {
  auto* self = static_cast<FakeIndexes*>(context);
  if (strcasecmp(name, "CITY") == 0) return self->city();
  if (strcasecmp(name, "ZIP") == 0) return self->zip();
  return nullptr;
}

std::string program_text(const QueryProgram& program, FakeIndexes& indexes) {
  std::string out;
  for (int i = 0; i < program.count; ++i) {
    const ProgramEntry& e = program.entries[i];
    if (!out.empty()) out += ' ';
    if (!is_term_op(e.op)) {
      out += e.op;
      continue;
    }
    if (e.op == kEmptyTermOp) out += '~';
    out += e.key;
    const std::string name = indexes.name_of(e.index);
    if (!name.empty()) out += "@" + name;
  }
  return out;
}

bool well_formed(const QueryProgram& program) {
  int depth = 0;
  for (int i = 0; i < program.count; ++i) {
    const char op = program.entries[i].op;
    if (is_term_op(op)) {
      ++depth;
    } else if (op == kNotOp) {
      if (depth < 1) return false;
    } else {
      if (depth < 2) return false;
      --depth;
    }
  }
  return depth == 1;
}

}  // namespace tovr::test
