// The message texts of the match key family, written once.
#include "matchkey/match_key.h"

namespace tovr {
namespace {

// Indexed by status code. The leading blanks of codes 5, 7 and 8 belong to the texts.
constexpr const char* kCodeTexts[] = {
    "",
    "No memory for loading match key",
    "Match key dictionary file not found",
    "Match key name already used",
    "Match key dictionary entry invalid",
    " Match key name invalid or not found",
    "Match key field name not found",
    " TOVR_mkSet found numeric name with too many digits",
    " mkDictLoad: numeric name field too short - must be > 2",
};
constexpr int kCodeCount = sizeof kCodeTexts / sizeof kCodeTexts[0];
constexpr char kUndefinedCode[] = "Return code undefined";

}  // namespace

const char kMkBadNumericNameFormat[] = "Bad numeric name for input:  %s  - continuing\n";

const char* mk_code_text(int code) {
  return code >= 0 && code < kCodeCount ? kCodeTexts[code] : kUndefinedCode;
}

}  // namespace tovr
