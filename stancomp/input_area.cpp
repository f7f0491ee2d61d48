#include "stancomp/input_area.h"

namespace tovr {
namespace {

bool same_column_entry(const FormatEntry& a, const FormatEntry& b) {
  return a.literal[0] == '\0' && b.literal[0] == '\0' && a.first_line == b.first_line &&
         a.last_line == b.last_line && a.start_column == b.start_column && a.length == b.length;
}

bool same_chain(const Stan& stan, short a, short b) {
  while (a > 0 && b > 0) {
    if (!same_column_entry(stan.format[a], stan.format[b])) return false;
    a = stan.format[a].next;
    b = stan.format[b].next;
  }
  return a == 0 && b == 0;
}

// Removes entry `index`; the entries behind it move down one place and every reference to
// them follows.
void remove_entry(Stan& stan, short index) {
  const short last = static_cast<short>(stan.next_format_entry - 1);
  for (short i = index; i < last; ++i) stan.format[i] = stan.format[i + 1];
  stan.format[last] = FormatEntry{};
  stan.next_format_entry = last;
  for (short i = 1; i < last; ++i) {
    if (stan.format[i].next > index) --stan.format[i].next;
  }
  for (short& first : stan.first_format_entry) {
    if (first > index) --first;
  }
}

// The entries of a chain are consecutive (one STANDARDIZE command makes them in order), so
// removing them from the last one down leaves the others in place.
void remove_chain(Stan& stan, short first) {
  short last = first;
  while (stan.format[last].next != 0) last = stan.format[last].next;
  for (short i = last; i >= first; --i) remove_entry(stan, i);
}

}  // namespace

void merge_format_entries(Stan& stan) {
  for (int p = 1; p < stan.process_count; ++p) {
    const short own = stan.first_format_entry[p];
    if (own <= 0) continue;
    for (int q = 0; q < p; ++q) {
      const short earlier = stan.first_format_entry[q];
      if (earlier <= 0 || earlier == own || !same_chain(stan, earlier, own)) continue;
      stan.first_format_entry[p] = earlier;
      remove_chain(stan, own);
      break;
    }
  }
}

void lay_out_input_area(Stan& stan) {
  short offset = 1;
  for (short i = 1; i < stan.next_format_entry; ++i) {
    FormatEntry& e = stan.format[i];
    if (e.length != 0) ++e.length;
    e.offset = offset;
    e.area_offset = offset;
    e.area_length = e.length;
    offset = static_cast<short>(offset + e.length);
  }
  stan.format_entry_count = static_cast<short>(stan.next_format_entry - 1);
}

}  // namespace tovr
