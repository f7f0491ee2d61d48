// The match control block with its candidate lists and cases.
#pragma once

#include <cstdint>

#include "matcher/rules_types.h"
#include "tovr.h"

namespace tovr {

struct PreparedKey;

inline constexpr int kMaxLists = 10;
inline constexpr int kMaxCases = 10;
inline constexpr int kFirstBlockSlots = 50;
inline constexpr int kNextBlockSlots = 20;
inline constexpr int kScoreChunkEntries = 50;
// Candidate numbers are signed 16-bit: a list holds at most this many.
inline constexpr int kMaxCandidates = 32767;

// One block of a candidate list; the first block is the list's handle.
struct CandBlock {
  char tag[4] = {'C', 'A', 'N', 'D'};
  std::int16_t count = 0;  // first block: candidates in the list
  std::int16_t first = 1;  // candidate number of the block's first slot
  std::int16_t free_slots = 0;
  std::int16_t capacity = 0;  // 50 for the first block, 20 for the others
  std::int16_t record_length = 0;
  char* records = nullptr;  // capacity slots of record_length + 1 characters
  CandBlock* next = nullptr;
};

struct ScoreEntry {
  std::int16_t total = 0;
  char side = ' ';  // 'L', 'R' or blank
  float position = 50.0f;
  std::int16_t rank = 0;  // candidate number, then the ranking permutation
};

struct ScoreChunk {
  ScoreEntry entry[kScoreChunkEntries];
};

struct MatchCase {
  char tag[4] = {'C', 'A', 'S', 'E'};
  std::int16_t count = 0;
  std::int16_t empty = 0;
  std::int16_t best_number = 0;
  std::int16_t best_weight = -9999;
  const Rules* rules = nullptr;
  std::int16_t ranked = 0;
  const CandBlock* list = nullptr;
  // Score chunks, kept when the case is reused; chunk i holds candidates 50 i + 1 ...
  ScoreChunk** chunks = nullptr;
  int chunk_count = 0;
  int chunk_capacity = 0;
  // Marker space of the string comparator, kept when the case is reused.
  char* marks = nullptr;
  int marks_size = 0;
  // The match key side of the current run, kept when the case is reused.
  PreparedKey* key = nullptr;
};

struct ListSlot {
  CandBlock* list = nullptr;
  std::int16_t record_length = 0;
  std::int16_t in_use = 0;
};

struct CaseSlot {
  MatchCase* match_case = nullptr;
  std::int16_t in_use = 0;
};

struct MatchControl {
  char tag[4] = {'I', 'N', 'S', 'T'};
  TOVR_Mk* mk = nullptr;
  std::int16_t base_year = 1900;
  std::int16_t pivot = 93;
  std::int16_t list_count = 0;
  ListSlot lists[kMaxLists];
  // Where the last candidate was appended.
  const CandBlock* cache_list = nullptr;
  CandBlock* cache_block = nullptr;
  std::int16_t cache_first = 0;
  std::int16_t case_count = 0;
  CaseSlot cases[kMaxCases];
};

}  // namespace tovr
