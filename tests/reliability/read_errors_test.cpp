// A read that fails in any text file the library reads must be reported as a failure of that
// file, never taken for its end. Each test fails the 1st, 2nd, ... read of one named file
// (lines, characters and blocks alike) until a run meets no fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stancomp/encdec.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

// Fails read number n (from 1) of the file opened under one name; other files read as usual.
class NamedFileReadFault {
 public:
  NamedFileReadFault(const std::string& name, long n) {
    state() = State{name, nullptr, 0, n, false, {}};
    for (int i = 0; i < kSlots; ++i) state().saved[i] = TOVR_cbGet(TOVRCB_Fopen + i);
    TOVR_cbSet(TOVRCB_Fopen, reinterpret_cast<TOVR_Callback>(&open));
    TOVR_cbSet(TOVRCB_Fclose, reinterpret_cast<TOVR_Callback>(&close));
    TOVR_cbSet(TOVRCB_Fgetc, reinterpret_cast<TOVR_Callback>(&getc));
    TOVR_cbSet(TOVRCB_Fgets, reinterpret_cast<TOVR_Callback>(&gets));
    TOVR_cbSet(TOVRCB_Fread, reinterpret_cast<TOVR_Callback>(&read));
  }
  ~NamedFileReadFault() {
    for (int i = 0; i < kSlots; ++i) TOVR_cbSet(TOVRCB_Fopen + i, state().saved[i]);
  }
  NamedFileReadFault(const NamedFileReadFault&) = delete;
  NamedFileReadFault& operator=(const NamedFileReadFault&) = delete;

  bool injected() const { return state().injected; }

 private:
  static constexpr int kSlots = TOVRCB_Fwrite - TOVRCB_Fopen + 1;
  struct State {
    std::string name;
    void* stream;
    long reads;
    long fail_at;
    bool injected;
    TOVR_Callback saved[kSlots];
  };
  static State& state() {
    static State s;
    return s;
  }
  template <class Fn>
  static Fn inner(int slot) {
    return reinterpret_cast<Fn>(state().saved[slot - TOVRCB_Fopen]);
  }
  static bool fails(void* stream) {
    State& s = state();
    if (stream == nullptr || stream != s.stream || ++s.reads != s.fail_at) return false;
    s.injected = true;
    return true;
  }
  static void* open(const char* name, const char* mode) {
    void* stream = inner<TOVRCB_FopenFn>(TOVRCB_Fopen)(name, mode);
    if (stream != nullptr && state().name == name) state().stream = stream;
    return stream;
  }
  static int close(void* stream) {
    if (stream == state().stream) state().stream = nullptr;
    return inner<TOVRCB_FcloseFn>(TOVRCB_Fclose)(stream);
  }
  static int getc(void* stream) {
    return fails(stream) ? EOF : inner<TOVRCB_FgetcFn>(TOVRCB_Fgetc)(stream);
  }
  static char* gets(char* buffer, int size, void* stream) {
    return fails(stream) ? nullptr : inner<TOVRCB_FgetsFn>(TOVRCB_Fgets)(buffer, size, stream);
  }
  static size_t read(void* buffer, size_t size, size_t count, void* stream) {
    return fails(stream) ? 0 : inner<TOVRCB_FreadFn>(TOVRCB_Fread)(buffer, size, count, stream);
  }
};

constexpr long kMaxReads = 400;

constexpr char kPatterns[] =
    "; a street line\n"
    "^ | +=@vals.txt | T\n"
    "  COPY [1] {HN}\n"
    "  COPY [2] {SN}\n"
    "  COPY_A [3] {ST}\n"
    "  EXIT\n"
    "**\n"
    "  COPY_S [1] {SN}\n";

class ReadErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.put("std.stn", "STANDARDIZE P\nINFILE in.txt\nRECORD 256\nKEYORDER P EXTRA\n");
    fs_.put("P.DCT", "HN N 10 S\nSN C 20 S\nST C 4 S\n");
    fs_.put("EXTRA.DCT", "\\FORMAT\\ SORT=N\nXX C 6 S\n");
    fs_.put("P.CLS", "STREET ST T\nROAD RD T\n");
    fs_.put("P.PAT", kPatterns);
    fs_.put("vals.txt", "ELM\nMAIN\nOAK\n");
    fs_.put("in.txt", "123 MAIN STREET\n9 OAK ROAD\n");
  }

  // Compiles std.stn; the status of the compile, the handle closed again.
  int compile_and_close() {
    TOVR_Mk* mk = nullptr;
    EXPECT_EQ(TOVR_mkInit(&mk), 0);
    TOVR_Stan* stan = nullptr;
    short total = 0;
    const int rc = TOVR_asStanComp("std.stn", &stan, mk, &total);
    if (stan != nullptr) {
      EXPECT_EQ(TOVR_asCloseStan(stan), 0);
    }
    TOVR_mkClose(mk);
    return rc;
  }

  // Fails each read of one file in turn: the compile fails with its message and leaves
  // nothing behind, until the file reads whole.
  void sweep_compile(const std::string& file, const std::string& message) {
    long n = 1;
    for (; n < kMaxReads; ++n) {
      console_.clear();
      test::AllocationFaults blocks;
      int rc = 0;
      bool injected = false;
      {
        NamedFileReadFault fault(file, n);
        rc = compile_and_close();
        injected = fault.injected();
      }
      EXPECT_EQ(blocks.live_blocks(), 0) << file << " read " << n;
      EXPECT_EQ(fs_.open_streams(), 0) << file << " read " << n;
      if (!injected) {
        EXPECT_EQ(rc, 0) << console_.text();
        break;
      }
      EXPECT_EQ(rc, 1) << file << " read " << n;
      EXPECT_NE(console_.text().find(message), std::string::npos) << file << " read " << n << ":\n"
                                                                  << console_.text();
    }
    EXPECT_GT(n, 2) << "no read of " << file;
  }

  // Runs the records of in.txt with one read of `file` failing: the statuses in order, and
  // the keys of each record that succeeded.
  std::string run_records(const std::string& file, long n, bool* injected,
                          std::vector<std::string>* keys_out = nullptr) {
    // Value files are opened by the compile, the input by the first record.
    NamedFileReadFault fault(file, n);
    TOVR_Mk* mk = nullptr;
    EXPECT_EQ(TOVR_mkInit(&mk), 0);
    TOVR_Stan* stan = nullptr;
    short total = 0;
    EXPECT_EQ(TOVR_asStanComp("std.stn", &stan, mk, &total), 0) << console_.text();
    TOVR_asSetNewFormats(stan);
    std::string statuses;
    short first = 1;
    for (int rc = 0, calls = 0; rc != 11 && calls < 10; ++calls) {
      std::vector<char> area(1025, '\0'), original(1025, '\0');
      std::vector<char> keys(static_cast<std::size_t>(total) + 1, '\0');
      char aux[64] = {};
      rc = TOVR_asProcStan(stan, area.data(), keys.data(), aux, &first, original.data());
      statuses += (statuses.empty() ? "" : " ") + std::to_string(rc);
      if (rc == 0 && keys_out != nullptr) keys_out->emplace_back(keys.data());
    }
    *injected = fault.injected();
    TOVR_asCloseStan(stan);
    TOVR_mkClose(mk);
    return statuses;
  }

  test::MemFs fs_;
  test::ConsoleCapture console_;
};

TEST_F(ReadErrors, EveryFileOfTheCompileReportsAFailedRead) {
  sweep_compile("std.stn", "**** Standardizer Specifications File not found ****\n");
  sweep_compile("P.DCT", "Match key dictionary file not found  file: P.DCT\n");
  sweep_compile("P.CLS", "  file: P.CLS\n");
  sweep_compile("P.PAT", "error opening processPatternFile:\n P.PAT\n");
  sweep_compile("EXTRA.DCT", " error opening dictionary file:\n EXTRA.DCT\n");
}

TEST_F(ReadErrors, AnEncipheredPatternFileReportsAFailedRead) {
  fs_.put("plain.pat", kPatterns);
  ASSERT_EQ(encipher_pattern_file("plain.pat", "P.PAT"), 0);
  sweep_compile("P.PAT", "error opening processPatternFile:\n P.PAT\n");
  // The writer of enciphered files, too, fails rather than writing part of its source.
  for (long n = 1;; ++n) {
    NamedFileReadFault fault("plain.pat", n);
    const int rc = encipher_pattern_file("plain.pat", "copy.pat");
    if (!fault.injected()) {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(fs_.get("copy.pat"), fs_.get("P.PAT"));
      break;
    }
    EXPECT_EQ(rc, 1) << "read " << n;
  }
}

TEST_F(ReadErrors, AValueFileThatFailsEndsTheRecordWith26) {
  bool injected = false;
  std::vector<std::string> clean;
  ASSERT_EQ(run_records("vals.txt", 0, &injected, &clean), "0 0 11");
  ASSERT_EQ(clean.size(), 2u);
  EXPECT_NE(clean[0].find("MAIN"), std::string::npos);
  EXPECT_NE(clean[1].find("OAK"), std::string::npos);
  // MAIN is the second line of the value file: a failure at either read ends the record, and
  // the next record reads the file again from its start.
  for (long n : {1, 2}) {
    std::vector<std::string> keys;
    EXPECT_EQ(run_records("vals.txt", n, &injected, &keys), "26 0 11") << "read " << n;
    EXPECT_TRUE(injected);
    EXPECT_EQ(keys, std::vector<std::string>{clean[1]});
  }
}

TEST_F(ReadErrors, AFailedInputReadIsReportedAndTheInputGoesOn) {
  // Lines, blocks, records read a character at a time (where the characters read before
  // the failure are lost with their record), and records cut by a line delimiter.
  const struct {
    const char* stn;
    bool whole_records;
  } kInputs[] = {
      {"STANDARDIZE P\nINFILE in.txt\nRECORD 256\n", true},
      {"STANDARDIZE P\nINFILE in.txt\nRECORD 16\nTYPE BINARY\n", true},
      {"STANDARDIZE P\nINFILE in.txt\nRECORD 256\nTYPE BINARY\nDELIMITER RECORD NEWLINE\n", false},
      {"STANDARDIZE P\nINFILE in.txt\nRECORD 256\nDELIMITER LINE |\nLINESINREC 2\n", true},
  };
  fs_.put("P.PAT", "**\n  COPY_S [1] {SN}\n");
  for (const auto& [stn, whole_records] : kInputs) {
    fs_.put("std.stn", stn);
    bool injected = false;
    std::vector<std::string> clean;
    ASSERT_EQ(run_records("in.txt", 0, &injected, &clean), "0 0 11") << stn;
    long n = 1;
    for (; n < kMaxReads; ++n) {
      std::vector<std::string> keys;
      const std::string statuses = run_records("in.txt", n, &injected, &keys);
      if (!injected) break;
      // A read that fails after a short one has met the end of the file: nothing changes.
      if (statuses == "0 0 11" && keys == clean) continue;
      // The failed read gives 2 once, the input goes on and still ends with 11; where the
      // failed read took nothing, every record still comes whole.
      std::string others = statuses;
      const std::size_t at = (" " + others + " ").find(" 2 ");
      ASSERT_NE(at, std::string::npos) << stn << "read " << n << ": " << statuses;
      others.erase(at, others.size() > at + 1 && others[at + 1] == ' ' ? 2 : 1);
      EXPECT_EQ(others.find_first_not_of("0 "), others.size() - 2) << stn << statuses;
      EXPECT_EQ(others.substr(others.size() - 2), "11") << stn << statuses;
      if (whole_records) {
        EXPECT_EQ(keys, clean) << stn << "read " << n << ": " << statuses;
      }
    }
    EXPECT_GT(n, 2) << stn;
  }
}

TEST_F(ReadErrors, ACrossReferenceFileThatFailsIsMissing) {
  fs_.put("indxname.xrf", "FILE t.idx\nINDEX 3 CITY\nINDEX 7 ZIP\nEND\n");
  long n = 1;
  for (; n < kMaxReads; ++n) {
    int status = -1;
    TOVR_Db* db = nullptr;
    bool injected = false;
    {
      NamedFileReadFault fault("indxname.xrf", n);
      db = TOVR_dbOpen("CITY", 'R', 'S', &status, 8, 10, 10, nullptr, "SIG", 1);
      injected = fault.injected();
    }
    if (!injected) {
      EXPECT_NE(db, nullptr) << status;
      if (db != nullptr) TOVR_dbClose(&db);
      break;
    }
    EXPECT_EQ(db, nullptr);
    EXPECT_EQ(status, 4) << "read " << n;
  }
  EXPECT_GT(n, 5);
}

}  // namespace
}  // namespace tovr
