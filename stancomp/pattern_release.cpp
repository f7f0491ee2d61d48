// Release of everything the pattern compile built.
#include "frame/memory.h"
#include "stancomp/pattern_compiler.h"

namespace tovr {
namespace {

void release_value_list(ValueList* v, UserFileTable& files) {
  if (v == nullptr) return;
  for (char*& text : v->charValue) mem_free(text);
  drop_user_file(files, v->user_file);
  mem_free(v);
}

void release_chain(PatternAction* a, UserFileTable& files) {
  while (a != nullptr) {
    PatternAction* next = a->next;
    release_action(a, files);
    a = next;
  }
}

}  // namespace

void release_pattern(Pattern* p, UserFileTable& files) {
  if (p == nullptr) return;
  for (int k = 0; k < kMaxOperands; ++k) {
    mem_free(p->pCondition[k]);
    release_value_list(p->pValue[k], files);
  }
  mem_free(p->line);
  mem_free(p);
}

void release_process_program(StanPatterns& patterns, Sc* sc, int process) {
  if (process < 0 || process >= kPatternProcesses) return;
  ProcessProgram& prog = patterns.process[process];
  UserFileTable& files = patterns.user_files;

  if (prog.subRoutines != nullptr) {
    for (int s = 0; s < prog.section_count; ++s) mem_free(prog.subRoutines[s].name);
    mem_free(prog.subRoutines);
  }
  if (prog.subRoutineCalls != nullptr) {
    for (int c = 0; c < prog.call_count; ++c) mem_free(prog.subRoutineCalls[c].name);
    mem_free(prog.subRoutineCalls);
  }
  if (sc != nullptr) {
    mem_free(sc->instructionArray[process]);
    mem_free(sc->failAddressArray[process]);
    mem_free(sc->operandArray[process]);
    sc->instructionArray[process] = nullptr;
    sc->failAddressArray[process] = nullptr;
    sc->operandArray[process] = nullptr;
    sc->instructionCount[process] = 0;
  }
  mem_free(prog.patternClassFlags);
  if (prog.patterns != nullptr) {
    for (int s = 0; s < prog.slot_count; ++s) release_pattern(prog.patterns[s], files);
    mem_free(prog.patterns);
  }
  if (prog.patternActions != nullptr) {
    for (int s = 0; s < prog.slot_count; ++s) release_chain(prog.patternActions[s], files);
    mem_free(prog.patternActions);
  }
  release_chain(prog.postActions, files);
  prog = ProcessProgram{};
}

void release_pattern_programs(StanPatterns& patterns, Sc* sc) {
  for (int p = 0; p < kPatternProcesses; ++p) release_process_program(patterns, sc, p);
}

}  // namespace tovr
