#include "stanengine/record_input.h"

#include <cstring>

#include "frame/line_reader.h"
#include "frame/messages.h"
#include "frame/stream.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/input_layout.h"

namespace tovr {
namespace {

constexpr int kGetsSize = kInputAreaMax + 1;
constexpr int kMaxDelimitedRecord = 1022;
constexpr int kTabStop = 8;

// A read of the input that fails is reported with the status of an input file that does not
// open: the input cannot be read, and none of the end-of-input codes may stand for that, or
// the host would take the rest of its input as never there.
constexpr int kReadFailed = as_status::kOpenInput;

struct Line {
  char text[kInputAreaMax + 1];
  int length;
};

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool is_column_entry(const FormatEntry& e) { return e.length > 0 && e.literal[0] == '\0'; }

int last_entry(const Stan& stan) {
  return stan.format_entry_count < kFormatEntries ? stan.format_entry_count : kFormatEntries - 1;
}

// The text of one line without its line end.
int content_length(const char* text, int length) {
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  return length;
}

class RecordReader {
 public:
  RecordReader(Stan& stan, char* area, char* original)
      : stan_(stan), area_(area), original_(original), layout_(input_layout(stan)) {}

  int read() {
    area_[0] = '\0';
    if (test_reached()) return as_status::kTestReached;
    if (!stan_.interactive) original_[0] = '\0';
    if (stan_.line_delimiter != '\0' && stan_.interactive) {
      console_message(engine_text::kInteractiveLineDelimiter);
      return as_status::kNotImplemented;
    }
    if (int status = open_input(); status != as_status::kOk) return status;
    while (stan_.engine.records_read < stan_.skip_count) {
      const int status = read_record();
      area_[0] = '\0';
      if (!stan_.interactive) original_[0] = '\0';
      if (status != as_status::kOk) return status;
    }
    if (test_reached()) return as_status::kTestReached;
    const int status = read_record();
    // A record read in part is no record.
    if (status == kReadFailed) {
      area_[0] = '\0';
      if (!stan_.interactive) original_[0] = '\0';
    }
    return status;
  }

 private:
  // Skipped records count as read, so the test count can be passed while skipping.
  bool test_reached() const {
    return stan_.test_count > 0 && stan_.engine.records_read >= stan_.test_count;
  }

  // The input file named by INFILE is opened before the first read; without a name the
  // reading callbacks get a null stream and the host serves the input.
  int open_input() {
    if (stan_.interactive || stan_.engine.input != nullptr || stan_.input_file_name[0] == '\0') {
      return as_status::kOk;
    }
    stan_.engine.input = stream_open(stan_.input_file_name, "r");
    return stan_.engine.input == nullptr ? as_status::kOpenInput : as_status::kOk;
  }

  int read_record() {
    interactive_at_ = 0;
    interactive_length_ =
        stan_.interactive ? static_cast<int>(strnlen(original_, kInputAreaMax)) : 0;
    placed_ = false;
    tail_ = 0;
    next_item_entry_ = 1;
    ended_ = false;
    if (stan_.line_delimiter != '\0') {
      if (int status = read_text_line(physical_); status != as_status::kOk) return status;
      for (char* p = physical_; *p != '\0'; ++p) {
        if (*p == stan_.line_delimiter) *p = '\n';
      }
      physical_at_ = physical_;
    }
    const int lines = stan_.lines_per_record > 0 ? stan_.lines_per_record : 1;
    int read = 0;
    for (int n = 1; n <= lines && !ended_; ++n) {
      const int status = fetch(n, lines);
      if (status != as_status::kOk) {
        if (read == 0 || status == as_status::kTooLong || status == kReadFailed) return status;
        break;  // the input ended inside the record: it holds the lines read
      }
      ++read;
      if (int s = take_line(n); s != as_status::kOk) return s;
    }
    ++stan_.engine.records_read;
    if (stan_.item_delimiter != '\0' && stan_.multi_line_items && placed_ &&
        more_column_entries(next_item_entry_)) {
      return items_error();
    }
    return as_status::kOk;
  }

  // ---- Fetching one line ------------------------------------------------------------------

  int fetch(int n, int lines) {
    if (stan_.input_type == 'B') {
      return stan_.record_delimiter != '\0' ? fetch_delimited() : fetch_block();
    }
    if (stan_.line_delimiter != '\0') return fetch_part(n == lines);
    if (stan_.interactive) return fetch_interactive_line();
    if (int status = read_text_line(line_.text); status != as_status::kOk) return status;
    line_.length = static_cast<int>(std::strlen(line_.text));
    return as_status::kOk;
  }

  // One line of at most 1024 characters; the rest of a longer line is the next line.
  int read_text_line(char* text) {
    switch (read_line(stan_.engine.input, text, kGetsSize)) {
      case ReadResult::kLine:
        return as_status::kOk;
      case ReadResult::kEnd:
        return as_status::kEofGets;
      case ReadResult::kError:
        break;
    }
    return kReadFailed;
  }

  int fetch_block() {
    int size = stan_.record_size;
    if (size > kInputAreaMax) size = kInputAreaMax;
    if (size < 0) size = 0;
    int n = 0;
    if (stan_.interactive) {
      n = size < interactive_length_ - interactive_at_ ? size
                                                       : interactive_length_ - interactive_at_;
      std::memcpy(line_.text, original_ + interactive_at_, static_cast<std::size_t>(n));
      interactive_at_ += n;
    } else {
      n = static_cast<int>(
          stream_read(line_.text, 1, static_cast<std::size_t>(size), stan_.engine.input));
      if (n < size && read_failed(stan_.engine.input)) return kReadFailed;
    }
    if (n <= 0) return as_status::kEofRead;
    if (n < size) ended_ = true;
    for (int i = 0; i < n; ++i) {
      if (line_.text[i] == '\0') line_.text[i] = ' ';
    }
    line_.text[n] = '\0';
    line_.length = n;
    return as_status::kOk;
  }

  // The next character; -1 at the end of the input, -2 when the read failed.
  int next_char() {
    if (!stan_.interactive) {
      const int c = stream_getc(stan_.engine.input);
      if (c >= 0) return c;
      return read_failed(stan_.engine.input) ? -2 : -1;
    }
    if (interactive_at_ >= interactive_length_) return -1;
    return static_cast<unsigned char>(original_[interactive_at_++]);
  }

  int fetch_delimited() {
    int n = 0;
    for (;;) {
      const int c = next_char();
      if (c == -2) return kReadFailed;
      if (c < 0) {
        if (n == 0) return as_status::kEofGetc;
        break;
      }
      if (c == static_cast<unsigned char>(stan_.record_delimiter)) break;
      if (n == kMaxDelimitedRecord) {
        line_.text[n] = '\0';
        console_message(engine_text::kRecordTooLong, line_.text);
        return as_status::kTooLong;
      }
      line_.text[n++] = c == 0 ? ' ' : static_cast<char>(c);
    }
    line_.text[n] = '\0';
    line_.length = n;
    return as_status::kOk;
  }

  // The next line of the physical line; the record's last line takes all that is left.
  int fetch_part(bool last) {
    const char* end = last ? nullptr : std::strchr(physical_at_, '\n');
    const int n = end != nullptr ? static_cast<int>(end - physical_at_) + 1
                                 : static_cast<int>(std::strlen(physical_at_));
    std::memcpy(line_.text, physical_at_, static_cast<std::size_t>(n));
    line_.text[n] = '\0';
    line_.length = n;
    physical_at_ += n;
    return as_status::kOk;
  }

  int fetch_interactive_line() {
    if (interactive_at_ >= interactive_length_) return as_status::kEofGets;
    const char* start = original_ + interactive_at_;
    const auto* end = static_cast<const char*>(
        std::memchr(start, '\n', static_cast<std::size_t>(interactive_length_ - interactive_at_)));
    const int n =
        end != nullptr ? static_cast<int>(end - start) + 1 : interactive_length_ - interactive_at_;
    std::memcpy(line_.text, start, static_cast<std::size_t>(n));
    line_.text[n] = '\0';
    line_.length = n;
    interactive_at_ += n;
    return as_status::kOk;
  }

  // ---- Taking one line into the record ----------------------------------------------------

  int take_line(int n) {
    for (int i = 0; i < line_.length; ++i) {
      if (line_.text[i] == '\r') line_.text[i] = ' ';
    }
    if (!stan_.interactive) {
      const int held = static_cast<int>(std::strlen(original_));
      if (held + line_.length > kInputAreaMax) return record_set_error();
      std::memcpy(original_ + held, line_.text, static_cast<std::size_t>(line_.length) + 1);
    }
    if (stan_.record_delimiter != '\0' && stan_.input_type != 'B') {
      char* cut = std::strchr(line_.text, stan_.record_delimiter);
      if (cut != nullptr) {
        *cut = '\0';
        line_.length = static_cast<int>(cut - line_.text);
      }
    }
    if (stan_.cleanup_input) {
      if (int status = clean_up(); status != as_status::kOk) return status;
    }
    return place(n);
  }

  // Tabs become blanks up to the next multiple of 8 columns (unless the tab delimits items or
  // the input is binary, where a tab is one blank); other control characters but line feed
  // and carriage return become blanks.
  int clean_up() {
    const bool expand_tabs = stan_.item_delimiter != '\t' && stan_.input_type != 'B';
    char out[kInputAreaMax + 1];
    int n = 0;
    for (int i = 0; i < line_.length; ++i) {
      const auto c = static_cast<unsigned char>(line_.text[i]);
      if (c == '\t' && expand_tabs) {
        do {
          if (n == kInputAreaMax) return line_error();
          out[n++] = ' ';
        } while (n % kTabStop != 0);
        continue;
      }
      if (n == kInputAreaMax) return line_error();
      const bool keep = c == '\n' || c == '\r' || (c == '\t' && stan_.item_delimiter == '\t');
      out[n++] = is_control(c) && !keep ? ' ' : static_cast<char>(c);
    }
    std::memcpy(line_.text, out, static_cast<std::size_t>(n));
    line_.text[n] = '\0';
    line_.length = n;
    return as_status::kOk;
  }

  int line_error() {
    console_message(engine_text::kLineTooLong);
    return as_status::kTooLong;
  }

  int record_set_error() {
    console_message(engine_text::kRecordSetTooLong);
    return as_status::kTooLong;
  }

  int items_error() {
    console_message(engine_text::kProcItems);
    return as_status::kItemCount;
  }

  // The first line of a record lays out the pieces' part of the area as blanks.
  int lay_out() {
    if (placed_) return as_status::kOk;
    placed_ = true;
    const int length = layout_.area_length;
    if (length > kInputAreaMax) return record_set_error();
    std::memset(area_, ' ', static_cast<std::size_t>(length));
    area_[length] = '\0';
    tail_ = length;
    return as_status::kOk;
  }

  int place(int n) {
    if (int status = lay_out(); status != as_status::kOk) return status;
    LineFormats formats;
    line_formats(stan_, layout_, n, formats);
    const bool items = stan_.item_delimiter != '\0';
    bool whole = line_taken_whole(stan_, n);
    if (items && stan_.multi_line_items) {
      if (n == 1) write_all_literals();
      take_items(nullptr);
    } else if (formats.count == 0) {
      whole = true;
    } else if (items) {
      if (!take_items(&formats)) return items_error();
    } else {
      for (int i = 0; i < formats.count; ++i) write_piece(stan_.format[formats.list[i]]);
    }
    return whole ? append_whole() : as_status::kOk;
  }

  void write_into_entry(const FormatEntry& e, const char* text, int length) {
    const int room = e.area_length - 1;
    const int at = e.offset - 1;
    if (room <= 0 || at < 0 || at + room > layout_.area_length) return;
    const int n = length < room ? length : room;
    std::memcpy(area_ + at, text, static_cast<std::size_t>(n));
    std::memset(area_ + at + n, ' ', static_cast<std::size_t>(room - n));
  }

  void write_piece(const FormatEntry& e) {
    if (e.literal[0] != '\0') {
      write_into_entry(e, e.literal, static_cast<int>(std::strlen(e.literal)));
      return;
    }
    const int text_length = content_length(line_.text, line_.length);
    const int start = e.start_column - 1;
    if (start < 0 || start >= text_length) {
      write_into_entry(e, "", 0);
      return;
    }
    write_into_entry(e, line_.text + start, text_length - start);
  }

  void write_all_literals() {
    for (int i = 1; i <= last_entry(stan_); ++i) {
      const FormatEntry& e = stan_.format[i];
      if (e.length > 0 && e.literal[0] != '\0') write_piece(e);
    }
  }

  bool more_column_entries(int from) const {
    for (int i = from; i <= last_entry(stan_); ++i) {
      if (is_column_entry(stan_.format[i])) return true;
    }
    return false;
  }

  // procItems: the items of the line go to the column entries in order. With formats null
  // (multi-line items) the entries of the whole record are fed, continuing from the entry
  // the previous line stopped at. Returns false when the line has too few items.
  bool take_items(const LineFormats* formats) {
    const int length = content_length(line_.text, line_.length);
    const char* item = line_.text;
    const char* const end = line_.text + length;
    int index = 0;
    for (;;) {
      const FormatEntry* e = nullptr;
      if (formats != nullptr) {
        while (index < formats->count && e == nullptr) {
          const FormatEntry& f = stan_.format[formats->list[index++]];
          if (is_column_entry(f)) {
            e = &f;
          } else {
            write_piece(f);
          }
        }
      } else {
        while (next_item_entry_ <= last_entry(stan_) && e == nullptr) {
          const FormatEntry& f = stan_.format[next_item_entry_];
          if (is_column_entry(f)) e = &f;
          ++next_item_entry_;
        }
      }
      if (e == nullptr) return true;
      if (item > end) {
        if (formats == nullptr) --next_item_entry_;
        return false;
      }
      const auto* cut =
          static_cast<const char*>(std::memchr(item, stan_.item_delimiter, end - item));
      const char* item_end = cut != nullptr ? cut : end;
      write_into_entry(*e, item, static_cast<int>(item_end - item));
      item = item_end + 1;
    }
  }

  int append_whole() {
    if (tail_ + line_.length > kInputAreaMax) return record_set_error();
    char* at = area_ + tail_;
    std::memcpy(at, line_.text, static_cast<std::size_t>(line_.length));
    if (stan_.item_delimiter != '\0') {
      for (int i = 0; i < line_.length; ++i) {
        if (at[i] == stan_.item_delimiter) at[i] = ' ';
      }
    }
    tail_ += line_.length;
    area_[tail_] = '\0';
    return as_status::kOk;
  }

  Stan& stan_;
  char* area_;
  char* original_;
  const InputLayout& layout_;
  Line line_;
  char physical_[kGetsSize];
  const char* physical_at_ = physical_;
  int interactive_at_ = 0;
  int interactive_length_ = 0;
  int tail_ = 0;
  int next_item_entry_ = 1;
  bool placed_ = false;
  bool ended_ = false;
};

}  // namespace

int get_input(Stan& stan, char* area, char* original) {
  return RecordReader(stan, area, original).read();
}

}  // namespace tovr
