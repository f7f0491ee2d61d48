#include "frame/strings.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

// Texts of the tokenizer status codes, indexed by code.
constexpr const char* kTkTexts[] = {
    "",
    "Token classification table not found",
    "Token class. table \\FORMAT\\ in error",
    "No memory available for loading token class. table",
    "Token classification table too large for loading",
    "Table number not within acceptable limits",
    "Mode specified is invalid",
    "Too many tokens were encountered in input string",
    "Token not found in token table",
    "Invalid entry in token classification table",
    "Error in parameter to tkFindToken",
};
constexpr int kTkTextCount = sizeof(kTkTexts) / sizeof(kTkTexts[0]);
constexpr const char* kTkUnknownText = "Unknown return code";

}  // namespace

int tkMessage(int code, char* text) {
  const char* source = (code >= 0 && code < kTkTextCount) ? kTkTexts[code] : kTkUnknownText;
  copy_text(text, kTkMessageSize, source);
  return kTkOk;
}

}  // namespace tovr
