#include "matcher/rules_loader.h"

#include "frame/memory.h"
#include "frame/strings.h"
#include "matcher/mt_messages.h"
#include "matcher/rules_parser.h"

namespace tovr {
namespace {

using namespace mt_text;

// Resolves the rules' match key field names through the match key service.
class MatchKeyResolver : public FieldResolver {
 public:
  MatchKeyResolver(TOVR_Mk* mk, const char* mk_name) : mk_(mk), mk_name_(mk_name) {}
  bool find(const char* name, MatchKeyField* field) override {
    char type[3] = {};
    return TOVR_mkAttrib(mk_, mk_name_, name, type, &field->offset, &field->length,
                         &field->missing) == 0;
  }

 private:
  TOVR_Mk* mk_;
  const char* mk_name_;
};

int open_and_parse(const MatchControl& mc, Rules& rules, const char* rules_file,
                   const char* mk_name, const char* message_file) {
  if (message_file != nullptr && message_file[0] != '\0') {
    rules.message_file = stream_open(message_file, "w");
    if (rules.message_file == nullptr) return kMessageFileFailed;
  }
  StreamCloser in(rules_file != nullptr ? stream_open(rules_file, "r") : nullptr);
  if (in.get() == nullptr) return kRulesFileNotFound;

  short length = 0;
  if (mc.mk == nullptr || mk_name == nullptr || TOVR_mkGetLen(mc.mk, mk_name, &length) != 0 ||
      length <= 0) {
    return kInvalidMatchKey;
  }
  rules.cutoff = -1.0f;
  rules.freq_mode = 0;
  copy_text(rules.mk_name, sizeof rules.mk_name, mk_name);
  rules.mk_length = length;
  rules.mk_record = static_cast<char*>(mem_alloc(static_cast<std::size_t>(length) + 1));
  if (rules.mk_record == nullptr) return kNoMemory;

  MatchKeyResolver fields(mc.mk, rules.mk_name);
  RulesParser parser(rules, fields, rules.message_file);
  switch (parser.parse(in.get())) {
    case ParseResult::kNoMemory:
      return kNoMemory;
    case ParseResult::kErrors:
      return kSyntaxErrors;
    case ParseResult::kReadError:
      // A rules file that cannot be read to its end is as unusable as one that cannot be
      // opened, and gets its status.
      return kRulesFileNotFound;
    case ParseResult::kClean:
      break;
  }
  return parser.hand_over_variables() ? kOk : kNoMemory;
}

}  // namespace

int load_rules(const MatchControl& mc, const char* rules_file, const char* mk_name,
               const char* message_file, Rules** out) {
  *out = nullptr;
  Rules* rules = make<Rules>();
  if (rules == nullptr) return kNoMemory;
  const int status = open_and_parse(mc, *rules, rules_file, mk_name, message_file);
  if (status != kOk) {
    release_rules(rules);
    return status;
  }
  *out = rules;
  return kOk;
}

}  // namespace tovr
