// The actions of a matched pattern: copying, concatenating and prefixing into match key
// fields and user variables, and the dispatch to RETYPE and the conversions.
#include "stanengine/actions.h"

#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/operand_text.h"
#include "stanengine/record_output.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

// Room for a source text and a current value joined to it.
constexpr int kActionTextRoom = kOperandTextSize + kFieldValueSize;

enum class Mode { kCopy, kConcat, kPrefix };

Mode mode_of(short command) {
  switch (command) {
    case kActConcat:
    case kActConcatA:
      return Mode::kConcat;
    case kActPrefix:
    case kActPrefixA:
      return Mode::kPrefix;
    default:
      return Mode::kCopy;
  }
}

TextKind text_kind_of(short command) {
  switch (command) {
    case kActCopyS:
      return TextKind::kSpaced;
    case kActCopyA:
    case kActConcatA:
    case kActPrefixA:
      return TextKind::kAbbrev;
    case kActCopyC:
      return TextKind::kClose;
    default:
      return TextKind::kJoined;
  }
}

// The action's source text: an operand's text, a field, another process's formatted field,
// a literal or a user variable, cut by the source range.
bool source_text(RunState& r, const PatternAction& a, char* out) {
  out[0] = '\0';
  const char* range_message = engine_text::kRangeSupplied;
  switch (a.source_kind) {
    case kSourceOperand:
      if (a.source_operand >= 0 && a.source_operand < kMaxOperands) {
        operand_action_text(r, a.source_operand, text_kind_of(a.command), out);
      }
      range_message = engine_text::kRangeSpecified;
      break;
    case kSourceField:
      if (!read_field(r, r.process, a.source_field, out)) return false;
      break;
    case kSourceFormatted:
      if (a.source_process >= 0 && a.source_process < kMaxProcesses &&
          r.stan->FormattedField[a.source_process] != nullptr) {
        copy_text(out, kFormattedFieldSize, r.stan->FormattedField[a.source_process]);
      }
      break;
    case kSourceLiteral:
      copy_text(out, kActionTextSize, a.literal);
      return true;
    case kSourceVariable: {
      const char* value = user_variable(*r.stan, a.source_variable);
      if (value != nullptr) copy_text(out, kUserVarValueSize, value);
      break;
    }
    default:
      return true;
  }
  if (range_given(a.source_range)) apply_text_range(out, a.source_range, range_message);
  return true;
}

// The current value followed by the source (CONCAT) or the source followed by it (PREFIX).
void combine(Mode mode, const char* current, char* text) {
  if (mode == Mode::kCopy) return;
  char joined[kActionTextRoom];
  const char* first = mode == Mode::kConcat ? current : text;
  const char* second = mode == Mode::kConcat ? text : current;
  const std::size_t a = strnlen(first, kActionTextRoom - 1);
  const std::size_t b = strnlen(second, kActionTextRoom - 1 - a);
  std::memcpy(joined, first, a);
  std::memcpy(joined + a, second, b);
  joined[a + b] = '\0';
  std::memcpy(text, joined, a + b + 1);
}

bool copy_action(RunState& r, const PatternAction& a) {
  char text[kActionTextRoom];
  if (!source_text(r, a, text)) return false;
  const Mode mode = mode_of(a.command);
  if (a.target_kind == kTargetField) {
    char current[kFieldValueSize] = "";
    if (mode != Mode::kCopy && !read_field(r, r.process, a.toActionEntity.field, current)) {
      return false;
    }
    combine(mode, current, text);
    return write_field(r, a.toActionEntity.field, text);
  }
  if (a.target_kind == kTargetVariable) {
    char* slot = target_variable(r, a);
    if (slot == nullptr) return true;
    char current[kUserVarValueSize];
    copy_text(current, sizeof current, slot);
    combine(mode, str_trim(current), text);
    copy_text(slot, kUserVarValueSize, text);
  }
  return true;
}

const PatternAction* action_at(const RunState& r, int index) {
  if (r.pattern < 0 || r.pattern >= r.program->slot_count || r.program->patternActions == nullptr) {
    return nullptr;
  }
  const PatternAction* a = r.program->patternActions[r.pattern];
  for (int i = 0; a != nullptr && i < index; ++i) a = a->next;
  return a;
}

}  // namespace

bool write_field(RunState& r, const char* field, const char* text) {
  Stan& s = *r.stan;
  char value[kActionTextRoom];
  copy_text(value, sizeof value, text);
  const int status = TOVR_mkSet(s.mk, s.processMatchKey[r.process], field, value);
  if (status != 0) {
    print_mk_message(status);
    r.status = as_status::kMkSet;
    return false;
  }
  r.field_written = true;
  if (s.debug) file_message(s.output_file, engine_text::kFieldSet, field, text);
  return true;
}

bool read_field(RunState& r, int process, const char* field, char* value) {
  value[0] = '\0';
  const int status = TOVR_mkGet(r.stan->mk, r.stan->processMatchKey[process], field, value);
  if (status != 0) {
    value[0] = '\0';
    print_mk_message(status);
    r.status = as_status::kMkGet;
    return false;
  }
  str_trim(value);
  return true;
}

char* target_variable(RunState& r, const PatternAction& a) {
  return user_variable(*r.stan, a.toActionEntity.userCharValue);
}

Next perform_action(RunState& r, int index) {
  const PatternAction* a = action_at(r, index);
  if (a == nullptr) return Next::kNext;
  bool ok = true;
  switch (a->command) {
    case kActMove:
    case kActCopy:
    case kActCopyA:
    case kActCopyC:
    case kActCopyS:
    case kActConcat:
    case kActConcatA:
    case kActPrefix:
    case kActPrefixA:
      ok = copy_action(r, *a);
      break;
    case kActRetype:
      ok = retype_action(r, *a);
      break;
    case kActConvert:
    case kActConvertP:
    case kActConvertS:
      ok = convert_action(r, *a);
      break;
    default:
      break;
  }
  return ok ? Next::kNext : Next::kEnd;
}

}  // namespace tovr
