// Bounded time and determinism of the standardizer. Pathological records (thousands of
// characters, hundreds of tokens, long runs of unknown words, binary bytes, patterns that
// search) must each finish quickly, and two runs over the same input must give the same
// bytes, even when every new block of the second run starts with different garbage.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "standardizer_program.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

// ---- records ----------------------------------------------------------------------------

std::string words(const std::string& word, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += (i ? " " : "") + word;
  return out;
}

std::vector<std::string> pathological_records() {
  std::vector<std::string> r;
  r.push_back(words("A", 500));          // 1000 characters, 500 words
  r.push_back(std::string(3000, 'Q'));   // read in pieces of 1024
  r.push_back(words("12 AB", 100));      // 200 tokens
  r.push_back(words("12 AB", 101));      // one token too many
  r.push_back(words("ZQX", 29) + " 5");  // runs of unknown words
  r.push_back(words("ZQX", 30) + " 5");
  r.push_back(words("ZQX 7", 60));
  r.push_back(words("1", 199));    // numbers for every float
  r.push_back(words("ST N", 99));  // types and directions
  r.push_back(words("MAIN 1 ST", 66));
  r.push_back(std::string(300, '-') + std::string(300, '#') + std::string(300, '&'));
  r.push_back(std::string(39, 'L') + " " + std::string(40, 'M') + " " + std::string(45, 'N'));
  r.push_back("99999999999999999999999999999999999999999999 N MAIN ST");
  std::string binary;
  for (int c = 1; c < 256; ++c) {
    if (c != '\n') binary += static_cast<char>(c);
  }
  r.push_back(binary);
  r.push_back(std::string("12 MAIN\0ST", 10) + " APT 4");  // a NUL inside the line
  r.push_back("");
  r.push_back("\t\t\t\v\f 12 \t MAIN \x7f ST");
  // Lines of many words of every class, as long as the input allows.
  const char* vocabulary[] = {"MAIN", "ST", "N",     "AVE", "12", "FIRST", "ELM", "#",
                              "-",    "&",  "/",     "APT", "X1", "1A",    "A1B", "ROAD",
                              "E",    "W",  "SUITE", "DR",  "(",  ")",     "5",   "BOX"};
  std::mt19937 random(20240611);
  for (int length : {54, 200, 400}) {
    std::string line;
    for (int i = 0; i < length; ++i) line += std::string(i ? " " : "") + vocabulary[random() % 24];
    r.push_back(line.substr(0, 1020));
  }
  return r;
}

// Slightly messy addresses: doubled blanks, stray punctuation, typing slips, case.
std::vector<std::string> messy_records(int count) {
  const char* base[] = {"123 N MAIN ST",
                        "45 OLD MILL ROAD EAST",
                        "9 FIRST AVENUE APT 5",
                        "2 THIRD BOULEVARD",
                        "77 ELM ST SUITE 200",
                        "PO BOX 12",
                        "1600 PENNSYLVANIA AVE NW",
                        "MR JOHN SMITH"};
  std::mt19937 random(7);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string s = base[random() % 8];
    for (int edits = random() % 4; edits > 0; --edits) {
      const std::size_t at = random() % (s.size() + 1);
      switch (random() % 5) {
        case 0:
          s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), ' ');
          break;
        case 1:
          s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), ".,#-/'"[random() % 6]);
          break;
        case 2:
          if (at < s.size()) s.erase(at, 1);
          break;
        case 3:
          if (at + 1 < s.size()) std::swap(s[at], s[at + 1]);
          break;
        default:
          if (at < s.size()) s[at] = static_cast<char>(std::tolower(s[at]));
          break;
      }
    }
    out.push_back(s);
  }
  return out;
}

std::string lines(const std::vector<std::string>& records) {
  std::string out;
  for (const std::string& r : records) out += r + "\n";
  return out;
}

// ---- fresh blocks full of garbage ----------------------------------------------------------

// Fills every block from slot 0 (and every realloc of a null pointer) with one byte, so that a
// run that reads memory it never wrote depends on the byte.
class PoisonedBlocks {
 public:
  explicit PoisonedBlocks(unsigned char fill) {
    fill_ = fill;
    saved_malloc_ = TOVR_cbGet(TOVRCB_Malloc);
    saved_realloc_ = TOVR_cbGet(TOVRCB_Realloc);
    TOVR_cbSet(TOVRCB_Malloc, reinterpret_cast<TOVR_Callback>(&poisoned_malloc));
    TOVR_cbSet(TOVRCB_Realloc, reinterpret_cast<TOVR_Callback>(&poisoned_realloc));
  }
  ~PoisonedBlocks() {
    TOVR_cbSet(TOVRCB_Malloc, saved_malloc_);
    TOVR_cbSet(TOVRCB_Realloc, saved_realloc_);
  }
  PoisonedBlocks(const PoisonedBlocks&) = delete;
  PoisonedBlocks& operator=(const PoisonedBlocks&) = delete;

 private:
  static void* poisoned_malloc(std::size_t size) {
    void* p = reinterpret_cast<TOVRCB_MallocFn>(saved_malloc_)(size);
    if (p != nullptr) std::memset(p, fill_, size);
    return p;
  }
  static void* poisoned_realloc(void* old, std::size_t size) {
    void* p = reinterpret_cast<TOVRCB_ReallocFn>(saved_realloc_)(old, size);
    if (p != nullptr && old == nullptr) std::memset(p, fill_, size);
    return p;
  }
  static inline unsigned char fill_ = 0;
  static inline TOVR_Callback saved_malloc_ = nullptr;
  static inline TOVR_Callback saved_realloc_ = nullptr;
};

// ---- runs -----------------------------------------------------------------------------------

// Time allowed for one record: a second in an optimized build, more where the build is
// instrumented or runs under valgrind.
double seconds_per_record() {
  double seconds = 1.0;
#ifndef NDEBUG
  seconds *= 3;
#endif
#if defined(__SANITIZE_ADDRESS__)
  seconds *= 4;
#endif
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload != nullptr && std::strstr(preload, "valgrind") != nullptr) seconds *= 60;
  return seconds;
}

struct RunResult {
  std::string bytes;   // every result of every call, then the output files
  double slowest = 0;  // seconds of the slowest call
  int slowest_record = 0;
};

class StandardizerRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, bytes] : test::standardizer_files()) fs_.put(name, bytes);
  }

  RunResult run(const char* spec, const std::string& input, int max_calls) {
    fs_.put("in.txt", input);
    fs_.remove("out.txt");
    fs_.remove("aux.txt");
    RunResult result;
    TOVR_Mk* mk = nullptr;
    EXPECT_EQ(TOVR_mkInit(&mk), 0);
    TOVR_Stan* stan = nullptr;
    short total = 0;
    EXPECT_EQ(TOVR_asStanComp(spec, &stan, mk, &total), 0) << console_.text();
    if (stan != nullptr && TOVR_asSetNewFormats(stan) == 0) {
      short first = 1;
      int calls = 0;
      for (int rc = 0; rc != 11 && calls < max_calls; ++calls) {
        std::vector<char> area(1025, '\0');
        std::vector<char> original(1025, '\0');
        std::vector<char> keys(static_cast<std::size_t>(total) + 1, '\0');
        std::vector<char> aux(1025, '\0');
        const auto start = std::chrono::steady_clock::now();
        rc = TOVR_asProcStan(stan, area.data(), keys.data(), aux.data(), &first, original.data());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > result.slowest) {
          result.slowest = seconds;
          result.slowest_record = calls + 1;
        }
        result.bytes += std::to_string(rc) + "|" + keys.data() + "|" + aux.data() + "|" +
                        area.data() + "|" + original.data() + "\n";
      }
      EXPECT_LT(calls, max_calls) << "the input never ended";
    }
    if (stan != nullptr) {
      EXPECT_EQ(TOVR_asCloseStan(stan), 0);
    }
    TOVR_mkClose(mk);
    for (const char* file : {"out.txt", "aux.txt"}) {
      result.bytes += std::string("== ") + file + "\n" + (fs_.exists(file) ? fs_.get(file) : "");
    }
    return result;
  }

  test::MemFs fs_;
  test::ConsoleCapture console_;
};

TEST_F(StandardizerRuns, PathologicalRecordsEachFinishWithinTheirTime) {
  const std::string input = lines(pathological_records());
  for (const char* spec : {"addr.stn", "two.stn", "search.stn"}) {
    const RunResult r = run(spec, input, 200);
    EXPECT_LT(r.slowest, seconds_per_record())
        << spec << ": call " << r.slowest_record << " took " << r.slowest << " s";
  }
}

TEST_F(StandardizerRuns, TwoRunsOverTheSameInputGiveTheSameBytes) {
  const std::string input = lines(pathological_records()) + lines(messy_records(600));
  for (const char* spec : {"addr.stn", "two.stn", "search.stn"}) {
    std::string first;
    std::string second;
    {
      PoisonedBlocks poison(0xA5);
      first = run(spec, input, 2000).bytes;
    }
    {
      PoisonedBlocks poison(0x5A);
      second = run(spec, input, 2000).bytes;
    }
    EXPECT_GT(first.size(), input.size()) << spec;
    EXPECT_TRUE(first == second) << spec << ": the two runs differ";
  }
}

// Seven floated operands before a class that the record lacks: tried placement by placement,
// every way of choosing seven of the first 30 tokens (about 0.2 s for one pattern in an
// optimized build); the search runs each failed part of the pattern once instead.
TEST_F(StandardizerRuns, ManyFloatedOperandsFinishWithinTheirTime) {
  const std::string input =
      words("1", 30) + "\n" + words("ZQX 1", 15) + "\n" + words("ZQX", 29) + " 1\n";
  const RunResult r = run("floats.stn", input, 10);
  EXPECT_LT(r.slowest, seconds_per_record() / 10)
      << "call " << r.slowest_record << " took " << r.slowest << " s";
}

}  // namespace
}  // namespace tovr
