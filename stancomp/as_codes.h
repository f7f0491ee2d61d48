// Status codes of the standardizer family and their texts.
#pragma once

namespace tovr {

enum AsCode : int {
  kAsOk = 0,
  kAsInvalidHandle = 1,
  kAsOutputFile = 3,
  kAsAuxOutputFile = 4,
  kAsFreeToken = 16,
  kAsMkFree = 23,
};

// The text of a status code; "Return code undefined" for codes outside the table.
const char* as_code_text(int code);

}  // namespace tovr
