// Address standardizer: addresses per second end to end through TOVR_asProcStan with the
// us-address example over a generated file of 100,000 address lines, the compile of the
// standardizer file, the heap that a compiled standardizer holds, and the tokenizer alone.
//
// The library reads standardizer input through the host's reading callbacks; this host
// serves the lines of the generated file from memory, one cursor per thread, so that the
// figures are the library's work and not the disk's.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/addresses.h"
#include "bench/bench_data.h"
#include "matchkey/match_key.h"
#include "stancomp/stan.h"
#include "stanengine/tokenizer.h"
#include "tovr.h"

namespace tovr::bench {
namespace {

constexpr int kAddressCount = 100000;
constexpr std::size_t kBuffer = 4096;

// ---- Files ------------------------------------------------------------------------------

struct Inputs {
  std::string dir;
  std::vector<std::string> lines;  // the generated file, read back
};

const Inputs& inputs() {
  static const Inputs in = [] {
    Inputs i;
    i.dir = scratch_dir("standardizer");
    const std::filesystem::path example =
        std::filesystem::path(TOVR_SOURCE_DIR) / "examples" / "us-address";
    for (const char* f : {"usaddr.spc", "usaddr.cls", "usaddr.pat", "usaddr.dct"}) {
      std::filesystem::copy_file(example / f, std::filesystem::path(i.dir) / f);
    }
    const std::string file = i.dir + "/addresses.txt";
    {
      std::ofstream out(file);
      for (const std::string& a : random_addresses(kAddressCount, 2024)) out << a << '\n';
    }
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) i.lines.push_back(line);
    // The standardizer file names its files without a directory.
    if (chdir(i.dir.c_str()) != 0) std::abort();
    return i;
  }();
  return in;
}

// ---- Host callbacks -----------------------------------------------------------------------

// Record input: a null stream reads the next generated line; the cursor is the thread's.
thread_local std::size_t input_cursor = 0;
TOVRCB_FgetsFn default_gets = nullptr;

char* serve_line(char* buf, int size, void* stream) {
  if (stream != nullptr) return default_gets(buf, size, stream);
  const std::vector<std::string>& lines = inputs().lines;
  const std::string& line = lines[input_cursor];
  if (++input_cursor == lines.size()) input_cursor = 0;
  const std::size_t n = std::min<std::size_t>(line.size(), static_cast<std::size_t>(size) - 2);
  std::memcpy(buf, line.data(), n);
  buf[n] = '\n';
  buf[n + 1] = '\0';
  return buf;
}

// The end-of-file test of the served input: the lines are served round and round, so the
// input never ends (the library asks it only after a read that gave nothing).
TOVRCB_FeofFn default_eof = nullptr;

int serve_eof(void* stream) { return stream != nullptr ? default_eof(stream) : 0; }

// Heap accounting: every block carries its size in a header.
std::atomic<long long> live_bytes{0};
std::atomic<long long> peak_bytes{0};
constexpr std::size_t kHeader = 16;

void note(long long delta) {
  const long long now = live_bytes.fetch_add(delta) + delta;
  long long peak = peak_bytes.load();
  while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
  }
}

void* counted_malloc(std::size_t size) {
  auto* p = static_cast<char*>(std::malloc(size + kHeader));
  if (p == nullptr) return nullptr;
  std::memcpy(p, &size, sizeof size);
  note(static_cast<long long>(size));
  return p + kHeader;
}

void counted_free(void* block) {
  if (block == nullptr) return;
  char* p = static_cast<char*>(block) - kHeader;
  std::size_t size;
  std::memcpy(&size, p, sizeof size);
  note(-static_cast<long long>(size));
  std::free(p);
}

void* counted_realloc(void* block, std::size_t size) {
  if (block == nullptr) return counted_malloc(size);
  char* p = static_cast<char*>(block) - kHeader;
  std::size_t old;
  std::memcpy(&old, p, sizeof old);
  auto* q = static_cast<char*>(std::realloc(p, size + kHeader));
  if (q == nullptr) return nullptr;
  std::memcpy(q, &size, sizeof size);
  note(static_cast<long long>(size) - static_cast<long long>(old));
  return q + kHeader;
}

int quiet_console(const char*) { return 0; }

void install_callbacks() {
  static const bool done = [] {
    inputs();
    default_gets = reinterpret_cast<TOVRCB_FgetsFn>(TOVR_cbGet(TOVRCB_Fgets));
    TOVR_cbSet(TOVRCB_Fgets, reinterpret_cast<TOVR_Callback>(&serve_line));
    default_eof = reinterpret_cast<TOVRCB_FeofFn>(TOVR_cbGet(TOVRCB_Feof));
    TOVR_cbSet(TOVRCB_Feof, reinterpret_cast<TOVR_Callback>(&serve_eof));
    TOVR_cbSet(TOVRCB_Malloc, reinterpret_cast<TOVR_Callback>(&counted_malloc));
    TOVR_cbSet(TOVRCB_Realloc, reinterpret_cast<TOVR_Callback>(&counted_realloc));
    TOVR_cbSet(TOVRCB_Free, reinterpret_cast<TOVR_Callback>(&counted_free));
    TOVR_cbSet(TOVRCB_Printf, reinterpret_cast<TOVR_Callback>(&quiet_console));
    return true;
  }();
  (void)done;
}

// ---- One compiled standardizer ----------------------------------------------------------

class Standardizer {
 public:
  Standardizer() {
    install_callbacks();
    short key_length = 0;
    ok_ = TOVR_mkInit(&mk_) == 0 && TOVR_asStanComp("usaddr.spc", &stan_, mk_, &key_length) == 0 &&
          TOVR_asSetNewFormats(stan_) == 0;
    area_.resize(kBuffer);
    keys_.resize(kBuffer);
    aux_.resize(kBuffer);
    original_.resize(kBuffer);
  }
  ~Standardizer() {
    if (stan_ != nullptr) TOVR_asCloseStan(stan_);
    if (mk_ != nullptr) TOVR_mkClose(mk_);
  }
  bool ok() const { return ok_; }

  int next() {
    keys_[0] = '\0';
    aux_[0] = '\0';
    return TOVR_asProcStan(stan_, area_.data(), keys_.data(), aux_.data(), &first_call_,
                           original_.data());
  }

  Stan& stan() { return *reinterpret_cast<Stan*>(stan_); }
  TOVR_Mk* mk() { return mk_; }
  const char* keys() const { return keys_.data(); }
  const char* aux() const { return aux_.data(); }

 private:
  bool ok_ = false;
  TOVR_Mk* mk_ = nullptr;
  TOVR_Stan* stan_ = nullptr;
  short first_call_ = 1;
  std::vector<char> area_, keys_, aux_, original_;
};

// Addresses per second end to end, one standardizer per thread.
void BM_Standardize(benchmark::State& state) {
  Standardizer s;
  if (!s.ok()) return state.SkipWithError("the us-address standardizer did not compile");
  input_cursor = static_cast<std::size_t>(state.thread_index()) * 50000;
  long long failed = 0;
  for (auto _ : state) {
    if (s.next() != 0) ++failed;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["failed"] = static_cast<double>(failed);
}
BENCHMARK(BM_Standardize)->ThreadRange(1, 2)->UseRealTime();

// One pass over the first `count` lines of the generated file, as a host would run it. The
// pass over 10,000 lines runs once: it is the one bench/run.py counts instructions of.
void BM_StandardizeFile(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Standardizer s;
  if (!s.ok()) return state.SkipWithError("the us-address standardizer did not compile");
  for (auto _ : state) {
    input_cursor = 0;
    for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(s.next());
  }
  state.SetItemsProcessed(state.iterations() * count);
  // One more pass over the whole file, untimed, for the fingerprint of every status, match
  // key and auxiliary text: equal fingerprints of two builds mean equal results. (The short
  // pass goes without, so that its instruction count is that of its own addresses.)
  if (count != kAddressCount) return;
  Fingerprint results;
  long long failed = 0;
  input_cursor = 0;
  for (int i = 0; i < count; ++i) {
    const int status = s.next();
    failed += status != 0;
    results.add_value(status);
    results.add_text(s.keys());
    results.add_text(s.aux());
  }
  state.counters["results"] = results.counter();
  state.counters["failed"] = static_cast<double>(failed);
}
BENCHMARK(BM_StandardizeFile)->Arg(kAddressCount)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StandardizeFile)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Compile of the standardizer file with its tables, patterns and dictionary, and the release.
// Counter heap_bytes: what a compiled standardizer holds; peak_bytes: the most the compile
// held at once.
void BM_Compile(benchmark::State& state) {
  install_callbacks();
  const long long before = live_bytes.load();
  peak_bytes.store(before);
  {
    Standardizer s;
    if (!s.ok()) return state.SkipWithError("the us-address standardizer did not compile");
    state.counters["heap_bytes"] = static_cast<double>(live_bytes.load() - before);
  }
  state.counters["peak_bytes"] = static_cast<double>(peak_bytes.load() - before);
  for (auto _ : state) {
    Standardizer s;
    benchmark::DoNotOptimize(s.ok());
  }
}
BENCHMARK(BM_Compile)->Unit(benchmark::kMillisecond);

// The first stage alone: cutting the line into tokens and classifying each with the
// example's word classes, as the engine does for its process.
void BM_TokenizeAndClassify(benchmark::State& state) {
  Standardizer s;
  if (!s.ok()) return state.SkipWithError("the us-address standardizer did not compile");
  Stan& stan = s.stan();
  Tokenizer* tk = nullptr;
  if (tkInit(&tk) != kTkOk) return state.SkipWithError("no tokenizer");
  const std::vector<std::string>& lines = inputs().lines;
  std::size_t i = 0;
  Token* list = nullptr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkTokenize(tk, mk_tables(s.mk()), 0, lines[i].c_str(),
                                        stan.class_table_name[0], kTkEngineModes,
                                        stan.separator_list[0], stan.strip_list[0],
                                        kTkEnginePrefix, &list));
    if (++i == lines.size()) i = 0;
  }
  tkClose(tk);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TokenizeAndClassify);

}  // namespace
}  // namespace tovr::bench
