// Match key dictionaries: the input is the dictionary file. A dictionary that loads becomes a
// layout whose fields lie end to end; every field then takes values of every kind (the
// words of the input among them) without a byte leaving the field, and the layout is freed.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "matchkey/match_key.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

std::vector<std::string> values_for(const std::string& input) {
  std::vector<std::string> values = {"",
                                     "0",
                                     "007",
                                     "-12",
                                     "1ST",
                                     "123RD",
                                     "00012",
                                     "123 MAIN ST",
                                     "  a ",
                                     "99999999",
                                     std::string(300, '7'),
                                     std::string(300, 'x')};
  std::istringstream words(tovr::fuzz::c_text(input));
  std::string word;
  for (int i = 0; i < 8 && words >> word; ++i) values.push_back(word);
  return values;
}

// Sets every field to every value and checks that only that field's bytes change.
void exercise_fields(TOVR_Mk* mk, const std::vector<std::string>& values) {
  short count = 0;
  short length = 0;
  require(TOVR_mkGetNumFields(mk, "K", &count) == 0 && count > 0, "field count");
  require(TOVR_mkGetLen(mk, "K", &length) == 0 && length > 0, "record length");
  std::string before(static_cast<std::size_t>(length) + 1, '\0');
  std::string after(static_cast<std::size_t>(length) + 1, '\0');
  int running = 0;
  for (short i = 1; i <= count && i <= 64; ++i) {
    char name[3];
    char type[3];
    short offset = -1;
    short field_length = -1;
    require(TOVR_mkGetFieldDef(mk, "K", i, name, type, &offset, &field_length) == 0, "field def");
    require(offset == running && field_length >= 1 && field_length <= 256, "fields end to end");
    running += field_length;
    char attr_type[2];
    char missing = 0;
    require(TOVR_mkAttrib(mk, "K", name, attr_type, &offset, &field_length, &missing) == 0,
            "attributes by name");
    for (const std::string& v : values) {
      require(TOVR_mkCopy(mk, "K", before.data()) == 0, "copy");
      std::string value = v;
      require(TOVR_mkSet(mk, "K", name, value.data()) == 0, "set");
      require(TOVR_mkCopy(mk, "K", after.data()) == 0, "copy");
      // A field named twice is found by its first definition; the bytes that may change are
      // those of the field the name finds.
      require(before.compare(0, offset, after, 0, offset) == 0 &&
                  before.compare(offset + field_length, std::string::npos, after,
                                 offset + field_length, std::string::npos) == 0,
              "a set changes only its field");
      std::string out(static_cast<std::size_t>(field_length) + 1, '\1');
      require(TOVR_mkGet(mk, "K", name, out.data()) == 0, "get");
      require(out[field_length] == '\0', "get terminates the field");
    }
  }
  require(count > 64 || running == length, "lengths sum to the record length");
  require(TOVR_mkClear(mk, "K") == 0, "clear");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  tovr::test::MemFs fs;
  const std::string input(reinterpret_cast<const char*>(data), size);
  fs.put("k.dct", input);

  TOVR_Mk* mk = nullptr;
  require(TOVR_mkInit(&mk) == 0, "control block");
  const int rc = tovr::mkDictLoad(mk, "K", "dict", "k.dct");
  require(fs.open_streams() == 0, "the file is closed after a load");
  if (rc == tovr::kMkOk) {
    exercise_fields(mk, values_for(input));
    require(tovr::mkDictLoad(mk, "k", "dict", "k.dct") == tovr::kMkNameUsed, "name in use");
    require(TOVR_mkFree(mk, "K") == 0, "free");
  } else {
    require(rc == tovr::kMkEntryInvalid || rc == tovr::kMkNumericNameTooShort,
            "a failed load gives an entry status");
  }
  short length = 0;
  require(TOVR_mkGetLen(mk, "K", &length) == tovr::kMkNameInvalid, "no layout left");
  const tovr::Table* table = nullptr;
  fs.remove("k.dct");
  require(tovr::tblFind(tovr::mk_tables(mk), "dict", &table) == tovr::kTblCannotOpen,
          "the dictionary's table is released");
  TOVR_mkClose(mk);
  return 0;
}
