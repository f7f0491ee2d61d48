// Input records through a compiled standardizer: the input is the input file. Its first byte
// chooses the program (one process over whole lines, two processes over two-line records, or
// patterns that make the engine search). Every record must finish within the per-input time limit,
// buffers must stay within their sizes, and a second standardizer compiled from the same files must
// give the same keys, auxiliary texts and output file, byte for byte.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "reliability/standardizer_program.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

constexpr std::size_t kAreaSize = 1025;
constexpr std::size_t kAuxRoom = 1025;
constexpr int kMaxRecords = 200;

// What one run over the input produced.
std::string run(tovr::test::MemFs& fs, const char* spec) {
  TOVR_Mk* mk = nullptr;
  require(TOVR_mkInit(&mk) == 0, "match key control block");
  TOVR_Stan* stan = nullptr;
  short total = 0;
  require(TOVR_asStanComp(spec, &stan, mk, &total) == 0, "the fixed program compiles");
  require(TOVR_asSetNewFormats(stan) == 0, "formats");
  std::string result;
  short first = 1;
  int rc = 0;
  for (int i = 0; i < kMaxRecords && rc == 0; ++i) {
    std::vector<char> area(kAreaSize, '\0');
    std::vector<char> original(kAreaSize, '\0');
    std::vector<char> keys(static_cast<std::size_t>(total) + 1, '\0');
    std::vector<char> aux(kAuxRoom, '\0');
    rc = TOVR_asProcStan(stan, area.data(), keys.data(), aux.data(), &first, original.data());
    for (const auto* b : {&area, &original, &keys, &aux}) {
      require(std::memchr(b->data(), '\0', b->size()) != nullptr, "buffers stay terminated");
    }
    result += std::to_string(rc) + "|" + keys.data() + "|" + aux.data() + "|" + area.data() + "\n";
  }
  require(TOVR_asCloseStan(stan) == 0, "close");
  TOVR_mkClose(mk);
  return result + (fs.exists("out.txt") ? fs.get("out.txt") : std::string("-"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  tovr::test::MemFs fs;
  for (const auto& [name, bytes] : tovr::test::standardizer_files()) fs.put(name, bytes);
  fs.put("in.txt", std::string(reinterpret_cast<const char*>(data), size));
  static const char* const specs[] = {"addr.stn", "two.stn", "search.stn"};
  const char* spec = specs[size > 0 ? data[0] % 3 : 0];
  const std::string first = run(fs, spec);
  const std::string second = run(fs, spec);
  require(first == second, "two runs over the same input give the same bytes");
  require(fs.open_streams() == 0, "no stream left open");
  return 0;
}
