// A query result set: the record numbers selected by a query, held in memory in one of two
// forms, with the special states that spare the evaluation from materialising complements
// and the set of every record.
//
//   list form    record numbers appended in blocks of 253, each block closed by 0x7FFFFFFF;
//                for reading, every block is sorted and a chain of block cursors, kept in
//                order of their current values, merges the blocks in ascending order
//   bitmap form  one bitmap of 1008 bytes per segment of 8064 record numbers (segment k
//                covers 8064k .. 8064k + 8063, most significant bit first), allocated on
//                first use; the array of segments grows 128 at a time
//
// Record number 0 and numbers from 0x7FFFFFFF up are never members: 0 ends the reading and
// 0x7FFFFFFF closes a list block.
#pragma once

#include <cstdint>

namespace tovr {

inline constexpr int kListBlockEntries = 253;
inline constexpr uint32_t kListEnd = 0x7FFFFFFFu;
inline constexpr uint32_t kRecordsPerSegment = 8064;
inline constexpr int kSegmentBytes = 1008;
inline constexpr uint32_t kSegmentGrowth = 128;

enum ResultState : int {
  kNormalSet = 0,
  kEmptySet = 1,
  kUniverseSet = 2,       // every record
  kComplementPending = 3  // the complement of the data held, not yet carried out
};

enum ResultForm : int { kBitmapForm = 1, kListForm = 2 };

struct ListBlock {
  ListBlock* next;
  ListBlock* next_cursor;  // reading: the block with the next larger current value
  int used;
  int cursor;  // reading: index of the block's current value
  uint32_t values[kListBlockEntries + 1];
};

inline bool is_record_number(uint32_t v) { return v != 0 && v < kListEnd; }

class ResultSet {
 public:
  ResultSet() = default;
  ~ResultSet() { release(); }
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;

  // Releases every block and segment: an empty list in the normal state.
  void release();
  // Exchanges the data and state of two sets (not their evaluation links).
  void swap_data(ResultSet& other);

  int state() const { return state_; }
  void set_state(int state) { state_ = state; }
  int form() const { return form_; }

  // List form. append throws std::bad_alloc when no block can be had.
  void append(uint32_t value);
  uint32_t count() const { return count_; }
  ListBlock* first_block() const { return first_; }
  // Sorts every block and builds the cursor chain; take() then yields the values in
  // ascending order and kListEnd after the last.
  void prepare_list();
  uint32_t take();

  // Bitmap form. A list is turned into a bitmap by setting its bits.
  void to_bitmap();
  uint32_t segment_slots() const { return slots_; }
  uint8_t* segment(uint32_t k) const { return k < slots_ ? segments_[k] : nullptr; }
  // The segment k, allocated zero-filled when absent; throws std::bad_alloc.
  uint8_t* ensure_segment(uint32_t k);
  void release_segment(uint32_t k);

  // Reading: the next record number in ascending order, 0 at the end, -1 for the universe.
  // The list form must have been prepared. A value is handed out once, even when a damaged
  // relation repeats it.
  int32_t next();

  // Evaluation links: the program entry the element stands for, whether its term has been
  // read from the index, and the element below it on the evaluation stack.
  int entry = -1;
  bool loaded = false;
  ResultSet* below = nullptr;

 private:
  void insert_cursor(ListBlock* b);
  int32_t next_in_bitmap();

  int state_ = kNormalSet;
  int form_ = kListForm;
  ListBlock* first_ = nullptr;
  ListBlock* last_ = nullptr;
  uint32_t count_ = 0;
  ListBlock* cursors_ = nullptr;
  uint8_t** segments_ = nullptr;
  uint32_t slots_ = 0;
  uint32_t position_ = 1;  // next record number a bitmap reading examines
  uint32_t last_read_ = 0;  // the last record number a list reading handed out
};

}  // namespace tovr
