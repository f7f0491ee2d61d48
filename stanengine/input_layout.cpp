#include "stanengine/input_layout.h"

#include <cstring>

namespace tovr {

static_assert(sizeof(InputLayout) <= kWorkBufferSize, "the tables must fit a work buffer");

namespace {

bool is_line_only(const FormatEntry& e) { return e.length == 0; }

}  // namespace

void build_input_layout(const Stan& stan, InputLayout& layout) {
  std::memset(&layout, 0, sizeof layout);
  const int last =
      stan.format_entry_count < kFormatEntries ? stan.format_entry_count : kFormatEntries - 1;
  int length = 0;
  for (int i = 1; i <= last; ++i) length += stan.format[i].length;
  layout.area_length = static_cast<short>(length);

  // Chains are walked from their first entry, so an entry without LINE can inherit the line
  // of the entry before it.
  for (int p = 0; p < stan.process_count && p < kMaxProcesses; ++p) {
    short line = 1;
    for (short i = stan.first_format_entry[p]; i > 0 && i <= last; i = stan.format[i].next) {
      const FormatEntry& e = stan.format[i];
      if (e.first_line > 0) line = e.first_line;
      layout.entry_line[i] = is_line_only(e) ? 0 : line;
      if (e.next <= i) break;  // chains run forward; anything else would loop
    }
  }
}

void line_formats(const Stan& stan, const InputLayout& layout, int line, LineFormats& out) {
  out.count = 0;
  out.first = 0;
  const int last =
      stan.format_entry_count < kFormatEntries ? stan.format_entry_count : kFormatEntries - 1;
  for (int i = 1; i <= last && out.count < kMaxLineFormats; ++i) {
    if (layout.entry_line[i] != line) continue;
    if (out.count == 0) out.first = static_cast<short>(i);
    out.list[out.count++] = static_cast<short>(i);
  }
}

bool line_taken_whole(const Stan& stan, int line) {
  const int last =
      stan.format_entry_count < kFormatEntries ? stan.format_entry_count : kFormatEntries - 1;
  for (int i = 1; i <= last; ++i) {
    const FormatEntry& e = stan.format[i];
    if (!is_line_only(e) || e.first_line <= 0) continue;
    const int end = e.last_line >= e.first_line ? e.last_line : e.first_line;
    if (line >= e.first_line && line <= end) return true;
  }
  return false;
}

InputLayout& input_layout(Stan& stan) {
  return *reinterpret_cast<InputLayout*>(stan.work_buffers[kWorkBuffers - 1]);
}

}  // namespace tovr
