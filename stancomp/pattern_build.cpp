// BuildPatternsActions: per process file, the counting pass, InitializePatStruc, the
// compiling pass (BuildPattern_ActionStrucs), the end-of-pass checks, the instruction
// generation and the post section.
#include <cstdio>
#include <cstring>

#include "frame/memory.h"
#include "frame/messages.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

// Arrays of one pointer per pattern slot are limited to 65535 bytes of 4-byte entries.
constexpr long kMaxSlotArrayBytes = 65535;
constexpr long kSlotEntryBytes = 4;

// A pattern file that cannot be read to its end is reported as one that cannot be opened:
// a program with lines missing is no program. Ends the compile.
Step unreadable(const PatternFileState& st) {
  console_message("%s", patmsg::kOpenPatternFile);
  console_message(patmsg::kLineTrailer, st.file_name);
  return Step::kFatal;
}

// The next line of a pass: true with a line; false at the end of the file, or with *r set to
// kFatal after a failed read.
bool next_line(PatternFileState& st, ReadLine& line, Step* r) {
  const ReadResult got = read_pattern_line(st.stream, st.enciphered, line);
  if (got == ReadResult::kError) *r = unreadable(st);
  return got == ReadResult::kLine;
}

// Line numbers count program lines; the marker line of an enciphered file is not one.
Step rewind_program(PatternFileState& st) {
  stream_rewind(st.stream);
  st.line_number = 0;
  if (st.enciphered && skip_line(st.stream) == ReadResult::kError) return unreadable(st);
  return Step::kOk;
}

Step count_error(const PatternFileState& st, const char* message, bool with_line) {
  console_message("%s", message);
  console_message(patmsg::kCountFileTrailer, st.file_name);
  if (with_line) console_message(patmsg::kCountLineTrailer, static_cast<int>(st.line_number));
  return Step::kFatal;
}

struct Counts {
  int patterns = 0;
  int subs = 0;
  int calls = 0;
};

// The counting pass: counts patterns, sections and calls and checks the structure.
Step counting_pass(PatternFileState& st, ReadLine& line, Counts& n) {
  int action_sets = 0;
  int sub_ends = 0;
  bool seen_pattern = false, in_post = false, in_sub = false, outside_sections = false;
  bool pattern_open = false, set_open = false, call_in_pattern = false;
  Step read = Step::kOk;
  while (next_line(st, line, &read)) {
    ++st.line_number;
    LineKind kind = classify_line(line);
    if (in_post) {
      if (kind == LineKind::kPostEnd) in_post = false;
      continue;
    }
    if (!seen_pattern && kind == LineKind::kPostStart) {
      in_post = true;
      st.has_post_section = true;
      continue;
    }
    if (kind == LineKind::kPostStart || kind == LineKind::kPostEnd) kind = LineKind::kPattern;
    switch (kind) {
      case LineKind::kSkip:
        break;
      case LineKind::kPattern:
        if (outside_sections) return count_error(st, patmsg::kSubSynch, false);
        ++n.patterns;
        seen_pattern = pattern_open = true;
        set_open = call_in_pattern = false;
        break;
      case LineKind::kSubStart:
        if (!seen_pattern) return count_error(st, patmsg::kSubBeforeMain, false);
        ++n.subs;
        if (sub_ends != n.subs - 1) return count_error(st, patmsg::kSubSynch, false);
        in_sub = true;
        outside_sections = pattern_open = false;
        break;
      case LineKind::kSubEnd:
        ++sub_ends;
        if (sub_ends != n.subs) return count_error(st, patmsg::kSubSynch, false);
        in_sub = pattern_open = false;
        outside_sections = true;
        break;
      default: {  // action lines
        if (!set_open) {
          ++action_sets;
          set_open = true;
          if (!pattern_open || action_sets != n.patterns) {
            return count_error(st, patmsg::kOutOfSynch, true);
          }
        }
        if (std::strncmp(line.text, patmsg::kCallKey, 4) == 0) {
          if (in_sub) return count_error(st, patmsg::kCallInSub, true);
          if (call_in_pattern) return count_error(st, patmsg::kTwoCalls, false);
          call_in_pattern = true;
          ++n.calls;
        } else if (call_in_pattern && std::strncmp(line.text, patmsg::kExitKey, 4) != 0) {
          return count_error(st, patmsg::kCallFollowed, false);
        }
        break;
      }
    }
  }
  if (read != Step::kOk) return read;
  if (sub_ends != n.subs) return count_error(st, patmsg::kSubSynch, false);
  if (n.calls > 0 && n.subs == 0) return count_error(st, patmsg::kCallsNoSubs, false);
  return Step::kOk;
}

char* copy_string(const char* s) {
  const std::size_t n = std::strlen(s);
  char* p = static_cast<char*>(mem_alloc(n + 1));
  if (p != nullptr) std::memcpy(p, s, n + 1);
  return p;
}

Step allocate_tables(PatternFileState& st, const Counts& n) {
  ProcessProgram& prog = program_of(st);
  const long slots = n.patterns + 1L;
  if (slots * kSlotEntryBytes > kMaxSlotArrayBytes) {
    return no_memory(patmsg::kTooManyPatterns);
  }
  prog.slot_count = static_cast<short>(slots);
  prog.patterns = static_cast<Pattern**>(mem_alloc_zeroed(slots, sizeof(Pattern*)));
  if (prog.patterns == nullptr) return no_memory_in_file(patmsg::kNoMemPatterns, st.file_name);
  prog.patternClassFlags =
      static_cast<std::uint32_t*>(mem_alloc_zeroed(slots * 2, sizeof(std::uint32_t)));
  if (prog.patternClassFlags == nullptr) {
    return no_memory_in_file(patmsg::kNoMemClassFlags, st.file_name);
  }
  prog.patternActions =
      static_cast<PatternAction**>(mem_alloc_zeroed(slots, sizeof(PatternAction*)));
  if (prog.patternActions == nullptr) {
    return no_memory_in_file(patmsg::kNoMemPatternActions, st.file_name);
  }
  prog.subRoutines = static_cast<SubRoutine*>(mem_alloc_zeroed(n.subs + 1, sizeof(SubRoutine)));
  if (prog.subRoutines == nullptr) return no_memory(patmsg::kNoMemSubRoutines);
  prog.section_count = static_cast<short>(n.subs + 1);
  for (int s = 0; s <= n.subs; ++s) {
    prog.subRoutines[s].first_pattern = prog.subRoutines[s].last_pattern = -1;
    prog.subRoutines[s].start_instruction = -1;
  }
  prog.subRoutines[0].first_pattern = 0;
  prog.subRoutines[0].name = copy_string(patmsg::kMainName);
  if (prog.subRoutines[0].name == nullptr) return no_memory(patmsg::kNoMemSubName);
  if (n.calls > 0) {
    prog.subRoutineCalls =
        static_cast<SubRoutineCall*>(mem_alloc_zeroed(n.calls, sizeof(SubRoutineCall)));
    if (prog.subRoutineCalls == nullptr) return no_memory(patmsg::kNoMemCalls);
    prog.call_count = static_cast<short>(n.calls);
    for (int c = 0; c < n.calls; ++c) {
      SubRoutineCall& call = prog.subRoutineCalls[c];
      call.call_instruction = call.target_instruction = -1;
      call.calling_pattern = call.first_pattern = -1;
    }
  }
  return Step::kOk;
}

// Allocates one zeroed Pattern per slot, linked in order, with no field operands.
Step InitializePatStruc(PatternFileState& st) {
  ProcessProgram& prog = program_of(st);
  Pattern* previous = nullptr;
  for (int s = 0; s < prog.slot_count; ++s) {
    auto* p = static_cast<Pattern*>(mem_alloc_zeroed(1, sizeof(Pattern)));
    if (p == nullptr) return no_memory(patmsg::kNoMemInitPatStruc);
    for (short& fp : p->field_process) fp = -1;
    prog.patterns[s] = p;
    if (previous != nullptr) previous->next = p;
    previous = p;
  }
  return Step::kOk;
}

Step start_subroutine(PatternFileState& st, const char* text) {
  ProcessProgram& prog = program_of(st);
  if (st.sections_entered + 1 >= prog.section_count) {
    return line_error(st, patmsg::kPatternFileError);
  }
  if (st.sections_entered == 0) prog.subRoutines[0].last_pattern = static_cast<short>(st.pattern_index);
  st.section = ++st.sections_entered;
  SubRoutine& sub = prog.subRoutines[st.section];
  sub.first_pattern = static_cast<short>(st.pattern_index + 1);
  int start = 0;
  int length = 0;
  if (!subroutine_name(text, start, length)) return line_error(st, patmsg::kBadSubName);
  sub.name = static_cast<char*>(mem_alloc(static_cast<std::size_t>(length) + 1));
  if (sub.name == nullptr) return no_memory(patmsg::kNoMemSubName);
  std::memcpy(sub.name, text + start, static_cast<std::size_t>(length));
  sub.name[length] = '\0';
  return Step::kOk;
}

void end_subroutine(PatternFileState& st) {
  if (st.section <= 0) return;
  SubRoutine& sub = program_of(st).subRoutines[st.section];
  sub.last_pattern = static_cast<short>(st.pattern_index);
  st.section = -1;
}

Step start_pattern(PatternFileState& st, const char* text) {
  ProcessProgram& prog = program_of(st);
  if (st.pattern_index + 1 >= prog.slot_count - 1) {
    return line_error(st, patmsg::kPatternFileError);
  }
  Pattern& p = *prog.patterns[++st.pattern_index];
  st.chain_tail = nullptr;
  p.line = copy_string(text);
  if (p.line == nullptr) return no_memory(patmsg::kNoMemPatternLine);
  prog.pattern_count = static_cast<short>(st.pattern_index + 1);
  Step r = compile_pattern_line(st, p, text);
  if (r == Step::kOk) set_class_flags(p, prog.patternClassFlags + 2 * st.pattern_index);
  return r;
}

// The compiling pass over pattern and action lines.
Step BuildPattern_ActionStrucs(PatternFileState& st, ReadLine& line) {
  Step read = rewind_program(st);
  if (read != Step::kOk) return read;
  bool in_post = false;
  while (next_line(st, line, &read)) {
    ++st.line_number;
    st.line = line.text;
    LineKind kind = classify_line(line);
    if (st.pattern_index < 0) {
      // Lines before the first pattern: comments and the post section.
      if (in_post) {
        in_post = kind != LineKind::kPostEnd;
        continue;
      }
      if (kind == LineKind::kPostStart) {
        in_post = true;
        continue;
      }
    }
    if (kind == LineKind::kPostStart || kind == LineKind::kPostEnd) kind = LineKind::kPattern;
    Step r = Step::kOk;
    switch (kind) {
      case LineKind::kSkip:
        break;
      case LineKind::kPattern:
        r = start_pattern(st, line.text);
        break;
      case LineKind::kSubStart:
        r = start_subroutine(st, line.text);
        break;
      case LineKind::kSubEnd:
        end_subroutine(st);
        break;
      default:
        r = compile_action_line(st, line.text);
        break;
    }
    if (r == Step::kFatal) return r;
  }
  st.line = nullptr;
  if (read != Step::kOk) return read;
  if (st.sections_entered == 0) {
    program_of(st).subRoutines[0].last_pattern = static_cast<short>(st.pattern_index);
  }
  return Step::kOk;
}

// Sections without patterns are removed from the table.
void drop_empty_sections(ProcessProgram& prog) {
  int kept = 1;
  for (int s = 1; s < prog.section_count; ++s) {
    SubRoutine& sub = prog.subRoutines[s];
    if (sub.last_pattern < sub.first_pattern || sub.first_pattern < 0) {
      mem_free(sub.name);
      sub = SubRoutine{nullptr, -1, -1, -1};
      continue;
    }
    if (kept != s) {
      prog.subRoutines[kept] = sub;
      sub = SubRoutine{nullptr, -1, -1, -1};
    }
    ++kept;
  }
  prog.section_count = static_cast<short>(kept);
}

void name_error(PatternFileState& st, const char* message, const char* name) {
  console_message("%s", message);
  console_message(patmsg::kLineTrailer, name);
  st.file_error = true;
  st.out->pattern_error = 1;
}

// Every call names a section; no two sections share a name.
void check_names(PatternFileState& st) {
  const ProcessProgram& prog = program_of(st);
  for (int c = 0; c < prog.call_count; ++c) {
    const char* name = prog.subRoutineCalls[c].name;
    if (name == nullptr) continue;
    bool found = false;
    for (int s = 1; s < prog.section_count && !found; ++s) {
      const char* sub = prog.subRoutines[s].name;
      found = sub != nullptr && std::strcmp(sub, name) == 0;
    }
    if (!found) name_error(st, patmsg::kCallNotFound, name);
  }
  for (int a = 1; a < prog.section_count; ++a) {
    const char* first = prog.subRoutines[a].name;
    if (first == nullptr) continue;
    for (int b = a + 1; b < prog.section_count; ++b) {
      const char* second = prog.subRoutines[b].name;
      if (second != nullptr && std::strcmp(first, second) == 0) {
        name_error(st, patmsg::kSameSubName, second);
      }
    }
  }
}

void link_post_action(PatternFileState& st, PatternAction* a) {
  ProcessProgram& prog = program_of(st);
  if (prog.postActions == nullptr) {
    prog.postActions = a;
  } else {
    st.post_tail->next = a;
    a->previous = st.post_tail;
  }
  st.post_tail = a;
}

// The post section, read once more from the start of the file.
Step post_pass(PatternFileState& st) {
  auto* line = static_cast<ReadLine*>(mem_alloc(sizeof(ReadLine)));
  if (line == nullptr) return no_memory_in_file(patmsg::kNoMemPostActions, st.file_name);
  Step r = rewind_program(st);
  bool in_post = false;
  bool ended = false;
  while (r == Step::kOk && !ended && next_line(st, *line, &r)) {
    ++st.line_number;
    st.line = line->text;
    const LineKind kind = classify_line(*line);
    if (!in_post) {
      in_post = kind == LineKind::kPostStart;
      continue;
    }
    if (kind == LineKind::kPostEnd) {
      ended = true;
    } else if (kind != LineKind::kSkip) {
      PatternAction* a = nullptr;
      r = compile_post_action(st, line->text, a);
      if (a != nullptr) link_post_action(st, a);
      if (r == Step::kFatal) break;
      r = Step::kOk;
    }
  }
  st.line = nullptr;
  mem_free(line);
  if (r == Step::kFatal) return r;
  if (!ended) {
    console_message("%s", patmsg::kPostEndMissing);
    st.file_error = true;
    st.out->pattern_error = 1;
  }
  return Step::kOk;
}

Step compile_passes(PatternFileState& st, ReadLine& line) {
  Counts counts;
  Step r = counting_pass(st, line, counts);
  if (r != Step::kOk) return r;
  if ((r = allocate_tables(st, counts)) != Step::kOk) return r;
  if ((r = InitializePatStruc(st)) != Step::kOk) return r;
  st.temp = static_cast<char*>(mem_alloc(kScratchSize));
  if (st.temp == nullptr) return no_memory(patmsg::kNoMemTemp);
  r = BuildPattern_ActionStrucs(st, line);
  mem_free(st.temp);
  st.temp = nullptr;
  if (r != Step::kOk) return r;
  drop_empty_sections(program_of(st));
  check_names(st);
  // A file with errors is never run: its program is not generated.
  if (!st.file_error && (r = generate_instructions(st)) != Step::kOk) return r;
  if (st.has_post_section) return post_pass(st);
  return Step::kOk;
}

Step compile_file(const PatternSources& sources, StanPatterns& out, Sc& sc, int process) {
  PatternFileState st{};
  st.sources = &sources;
  st.out = &out;
  st.sc = &sc;
  st.process = process;
  st.file_name = sources.process[process].pattern_file;
  st.pattern_index = -1;
  if (st.file_name == nullptr) st.file_name = "";
  st.stream = stream_open(st.file_name, "r");
  if (st.stream == nullptr) {
    console_message("%s", patmsg::kOpenPatternFile);
    console_message(patmsg::kLineTrailer, st.file_name);
    return Step::kFatal;
  }
  StreamCloser closer(st.stream);
  auto* line = static_cast<ReadLine*>(mem_alloc(sizeof(ReadLine)));
  if (line == nullptr) return no_memory(patmsg::kNoMemInputLineBuild);
  Step r = Step::kOk;
  if (detect_enciphered(st.stream, *line, &st.enciphered) == ReadResult::kError) {
    r = unreadable(st);
  } else {
    r = compile_passes(st, *line);
  }
  mem_free(line);
  return r;
}

}  // namespace

int BuildPatternsActions(const PatternSources& sources, StanPatterns& out, Sc& sc) {
  for (int p = 0; p < sources.process_count && p < kPatternProcesses; ++p) {
    if (compile_file(sources, out, sc, p) == Step::kFatal) return 1;
  }
  return 0;
}

}  // namespace tovr
