// Standardizer and pattern files: the input is a standardizer file, followed
// by sections "%%% NAME" that become the files of that name (pattern files, classification
// tables, dictionaries, convert tables, the input records in.txt). Missing files come from a
// working standardizer, so a mutation of one file meets good company. A standardizer that
// compiles then runs over the records with buffers of exactly the promised sizes.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "reliability/standardizer_program.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

constexpr char kRecords[] =
    "123 N MAIN ST\n45 OLD MILL ROAD EAST\n9 FIRST AVENUE APT 5\n1234567 ELM\n\n"
    "MR JOHN SMITH\n12 MAIN ST W\n";
constexpr int kMaxRecords = 40;
constexpr std::size_t kAreaSize = 1025;
constexpr std::size_t kAuxRoom = 1025;  // one MOVE item: at most a whole record

// Terminated inside the buffer.
bool ends_within(const std::vector<char>& buffer) {
  return std::memchr(buffer.data(), '\0', buffer.size()) != nullptr;
}

void run_records(TOVR_Stan* stan, short total) {
  require(TOVR_asSetNewFormats(stan) == 0, "formats");
  short first = 1;
  for (int i = 0; i < kMaxRecords; ++i) {
    std::vector<char> area(kAreaSize, '\0');
    std::vector<char> original(kAreaSize, '\0');
    std::vector<char> keys(static_cast<std::size_t>(total) + 1, '\0');
    std::vector<char> aux(kAuxRoom, '\0');
    const int rc =
        TOVR_asProcStan(stan, area.data(), keys.data(), aux.data(), &first, original.data());
    require(ends_within(area) && ends_within(original) && ends_within(keys) && ends_within(aux),
            "every buffer stays terminated within its size");
    if (rc != 0) {
      char text[80];
      TOVR_asQueryCodeEnum(rc, text);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  const auto sections = tovr::fuzz::split_sections(data, size, "fuzz.stn");
  tovr::test::MemFs fs;
  for (const auto& [name, bytes] : tovr::test::standardizer_files()) fs.put(name, bytes);
  fs.put("in.txt", kRecords);
  for (const auto& s : sections) {
    if (!s.name.empty()) fs.put(s.name, s.bytes);
  }

  TOVR_Mk* mk = nullptr;
  require(TOVR_mkInit(&mk) == 0, "match key control block");
  TOVR_Stan* stan = nullptr;
  short total = 0;
  const short rc = TOVR_asStanComp("fuzz.stn", &stan, mk, &total);
  require(rc == 0 || rc == 1, "the compile gives 0 or 1");
  if (rc == 0) {
    require(stan != nullptr && total >= 0, "a compiled standardizer");
    run_records(stan, total);
  }
  if (stan != nullptr) require(TOVR_asCloseStan(stan) == 0, "close");
  TOVR_mkClose(mk);
  require(fs.open_streams() == 0, "no stream left open");
  return 0;
}
