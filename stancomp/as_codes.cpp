#include "stancomp/as_codes.h"

namespace tovr {
namespace {

constexpr const char* kTexts[] = {
    "",
    "invalid control block handle address",
    "error opening input file",
    "output file not specified or error opening it",
    "Return code undefined",
    "eof from TOVRCB_Fgetc in getInput routine",
    "eof from TOVRCB_Fgets in getInput routine",
    "eof (or error) from TOVRCB_Fread in getInput routine",
    "more than max_size chars in input record set",
    "input file is empty",
    "number of records processed == TEST\n",
    "\n - end input -\n",
    "Error returned from tkTokenize",
    "Error returned from tkClassify",
    "Error returned from tkGetToken",
    "Error returned from tkGetN",
    "Error returned from tkFreeToken",
    "Error returned from tkInsertToken",
    "more than MAX_NUM_SUB_FIELDS contiguous alpha tokens\n",
    "Error returned from TOVR_mkSet",
    "Error returned from TOVR_mkGet",
    "Error returned from TOVR_mkCopy",
    "Error returned from TOVR_mkClear",
    "Error returned from TOVR_mkFree",
    "TOVR_mkAttrib failure",
    "Error from match key service - invalid field name",
    "Error returned from testValues",
    "Error returned from testConditions",
    "user variable in pat file not defined",
    "Incorrect number of items found",
    "End interactive input",
    "CONVERT: err from tblProx in compareConvertXXX",
    "Format table entries fewer than processes",
    "CONVERT: multi-token operand - use prior pat/action without EXIT",
    "facility not implemented",
    "malloc failure in buildOutputKeys",
};
constexpr int kTextCount = sizeof kTexts / sizeof kTexts[0];
constexpr char kUndefined[] = "Return code undefined";

}  // namespace

const char* as_code_text(int code) {
  if (code < 0 || code >= kTextCount) return kUndefined;
  return kTexts[code];
}

}  // namespace tovr
