// Post actions: once a run has written a field, SOUNDEX and RSOUNDEX code their source (a
// field of the process's match key or a user variable) into a target field.
#include <cstring>

#include "frame/strings.h"
#include "stanengine/actions.h"
#include "stanengine/engine_status.h"
#include "stanengine/operand_text.h"
#include "stanengine/phonetic.h"
#include "stanengine/record_output.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

bool post_source(RunState& r, const PatternAction& a, char* text) {
  text[0] = '\0';
  if (a.source_kind == kSourceField) {
    const int status =
        TOVR_mkGet(r.stan->mk, r.stan->processMatchKey[r.process], a.source_field, text);
    if (status != 0) {
      print_mk_message(status);
      r.status = as_status::kMkGet;
      return false;
    }
    return true;
  }
  if (a.source_kind == kSourceVariable) {
    const char* value = user_variable(*r.stan, a.source_variable);
    if (value != nullptr) copy_text(text, kUserVarValueSize, value);
  }
  return true;
}

}  // namespace

bool run_post_actions(RunState& r) {
  for (const PatternAction* a = r.program->postActions; a != nullptr; a = a->next) {
    if (a->command != kActSoundex && a->command != kActRsoundex) continue;
    char text[kFieldValueSize];
    if (!post_source(r, *a, text)) return false;
    if (a->command == kActRsoundex) str_reverse(text);
    char code[kPhoneticSize];
    phonetic_code(text, code);
    if (!write_field(r, a->toActionEntity.field, code)) return false;
  }
  return true;
}

}  // namespace tovr
