#include "frame/memory.h"
#include "matcher/rules_types.h"

namespace tovr {

void release_rules(Rules* rules) {
  if (rules == nullptr) return;
  if (rules->message_file != nullptr) stream_close(rules->message_file);
  for (int i = 0; i < rules->var_count; ++i) destroy(rules->vars[i].items);
  mem_free(rules->vars);
  mem_free(rules->mk_record);
  for (MatchDef* def : rules->defs) destroy(def);
  destroy(rules);
}

}  // namespace tovr
