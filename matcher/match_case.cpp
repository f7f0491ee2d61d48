#include "matcher/match_case.h"

#include "frame/memory.h"
#include "matcher/compare.h"
#include "matcher/prepared_key.h"

namespace tovr {
namespace {

// Grows the chunk table so that count candidates have score entries.
bool ensure_scores(MatchCase& c, int count) {
  const int needed = (count + kScoreChunkEntries - 1) / kScoreChunkEntries;
  if (needed > c.chunk_capacity) {
    void* table = mem_realloc(c.chunks, sizeof(ScoreChunk*) * static_cast<std::size_t>(needed));
    if (table == nullptr) return false;
    c.chunks = static_cast<ScoreChunk**>(table);
    c.chunk_capacity = needed;
  }
  while (c.chunk_count < needed) {
    ScoreChunk* chunk = make<ScoreChunk>();
    if (chunk == nullptr) return false;
    c.chunks[c.chunk_count++] = chunk;
  }
  return true;
}

bool ensure_marks(MatchCase& c, int size) {
  if (size <= c.marks_size) return true;
  char* marks = static_cast<char*>(mem_alloc(static_cast<std::size_t>(size)));
  if (marks == nullptr) return false;
  mem_free(c.marks);
  c.marks = marks;
  c.marks_size = size;
  return true;
}

char side_letter(std::int16_t side) {
  return side == kSideLeft ? 'L' : side == kSideRight ? 'R' : ' ';
}

std::int16_t total_of(long long sum) {
  // A sum beyond 16 bits is kept at the nearest 16-bit weight.
  if (sum > 32767) return 32767;
  if (sum < -32768) return -32768;
  return static_cast<std::int16_t>(sum);
}

CompareContext context_of(const MatchCase& c, const MatchControl& mc) {
  CompareContext ctx;
  ctx.base_year = mc.base_year;
  ctx.pivot = mc.pivot;
  ctx.marks = c.marks;
  ctx.marks_size = c.marks_size;
  return ctx;
}

void score_one(MatchCase& c, const MatchControl& mc, const char* record, int k) {
  const Rules& rules = *c.rules;
  ScoreEntry& entry = score_entry(c, k - 1);
  entry.total = 0;
  entry.rank = static_cast<std::int16_t>(k);
  CompareContext ctx = context_of(c, mc);
  const PreparedKey& key = *c.key;
  const int record_length = c.list->record_length;
  long long sum = 0;
  for (int v = 0; v < rules.var_count; ++v) {
    const MatchDef* def = rules.defs[v];
    if (def == nullptr) continue;
    ctx.freq_mode = def->freq_flag == 'N' ? 0 : rules.freq_mode;
    sum += prepared_weight(key, v, *def, rules.mk_record, record, record_length, ctx);
  }
  entry.total = total_of(entry.total + sum);
  entry.position = ctx.position;
  entry.side = side_letter(ctx.side);
  if (entry.total > c.best_weight) {
    c.best_weight = entry.total;
    c.best_number = static_cast<std::int16_t>(k);
  }
}

// "a before b" in the heap: the smaller total, or for equal totals the higher number.
bool heap_less(const MatchCase& c, std::int16_t a, std::int16_t b) {
  const std::int16_t ta = score_entry(c, a - 1).total;
  const std::int16_t tb = score_entry(c, b - 1).total;
  return ta < tb || (ta == tb && a > b);
}

void sift_down(MatchCase& c, int i, int n) {
  for (;;) {
    int child = 2 * i + 1;
    if (child >= n) return;
    std::int16_t& top = score_entry(c, i).rank;
    if (child + 1 < n && heap_less(c, score_entry(c, child + 1).rank, score_entry(c, child).rank)) {
      ++child;
    }
    std::int16_t& low = score_entry(c, child).rank;
    if (!heap_less(c, low, top)) return;
    const std::int16_t t = top;
    top = low;
    low = t;
    i = child;
  }
}

// Heap sort of the rank links with the smallest entry on top: taking the top to the end
// each time leaves the links ordered from the highest total to the lowest.
void build_ranking(MatchCase& c) {
  const int n = c.count;
  for (int i = n / 2 - 1; i >= 0; --i) sift_down(c, i, n);
  for (int end = n - 1; end > 0; --end) {
    std::int16_t& first = score_entry(c, 0).rank;
    std::int16_t& last = score_entry(c, end).rank;
    const std::int16_t t = first;
    first = last;
    last = t;
    sift_down(c, 0, end);
  }
  c.ranked = 1;
}

}  // namespace

MatchCase* new_case() { return make<MatchCase>(); }

void free_case(MatchCase* c) {
  if (c == nullptr) return;
  for (int i = 0; i < c->chunk_count; ++i) destroy(c->chunks[i]);
  mem_free(c->chunks);
  mem_free(c->marks);
  destroy(c->key);
  destroy(c);
}

void reset_case(MatchCase& c, const Rules* rules, const CandBlock* list) {
  c.tag[0] = 'C', c.tag[1] = 'A', c.tag[2] = 'S', c.tag[3] = 'E';
  c.count = list->count;
  c.empty = 0;
  c.best_number = 0;
  c.best_weight = -9999;
  c.rules = rules;
  c.ranked = 0;
  c.list = list;
}

ScoreEntry& score_entry(const MatchCase& c, int index) {
  return c.chunks[index / kScoreChunkEntries]->entry[index % kScoreChunkEntries];
}

bool score_candidates(MatchCase& c, const MatchControl& mc) {
  if (!ensure_scores(c, c.count)) return false;
  if (!ensure_marks(c, c.rules->mk_length + c.list->record_length)) return false;
  if (c.key == nullptr) c.key = make<PreparedKey>();
  if (c.key == nullptr) return false;
  prepare_key(*c.rules, c.list->record_length, context_of(c, mc), *c.key);
  int k = 1;
  for (const CandBlock* b = c.list; b != nullptr && k <= c.count; b = b->next) {
    const int used = b->capacity - b->free_slots;
    for (int s = 0; s < used && k <= c.count; ++s, ++k) {
      score_one(c, mc, b->records + static_cast<std::size_t>(s) * (b->record_length + 1), k);
    }
  }
  return true;
}

int ranked_candidate(MatchCase& c, int rank) {
  if (c.ranked == 0) build_ranking(c);
  return score_entry(c, rank - 1).rank;
}

}  // namespace tovr
