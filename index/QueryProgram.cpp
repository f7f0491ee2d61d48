#include "index/QueryProgram.h"

#include <cstring>

#include "frame/strings.h"

namespace tovr {

bool QueryProgram::append_term(const char* key, uint8_t mode, XrefEntry* index) {
  if (full()) return false;
  ProgramEntry& e = entries[count++];
  std::memset(&e, 0, sizeof e);
  e.op = kTermOp;
  e.mode = mode;
  e.index = index;
  copy_text(e.key, sizeof e.key, key);
  return true;
}

bool QueryProgram::append_operator(char op) {
  if (full()) return false;
  ProgramEntry& e = entries[count++];
  std::memset(&e, 0, sizeof e);
  e.op = op;
  return true;
}

}  // namespace tovr
