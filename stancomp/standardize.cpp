// STANDARDIZE: a new process with its name, its files and its pieces of the input record.
#include <climits>
#include <cstring>

#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/strings.h"
#include "stancomp/listing.h"
#include "stancomp/stan_reader.h"
#include "stancomp/stan_texts.h"

namespace tovr {
namespace {

bool is_upper_letter(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9F) return true;
  return c >= 0xC0 && c <= 0xDE && c != 0xD7;
}

bool has_letter(const char* name) {
  for (; *name != '\0'; ++name) {
    if (is_letter(static_cast<unsigned char>(*name))) return true;
  }
  return false;
}

// Two chains of format entries read the same pieces when they agree entry for entry in
// first line, last line, length and start column.
bool same_pieces(const Stan& stan, short a, short b) {
  while (a > 0 && b > 0) {
    const FormatEntry& x = stan.format[a];
    const FormatEntry& y = stan.format[b];
    if (x.first_line != y.first_line || x.last_line != y.last_line || x.length != y.length ||
        x.start_column != y.start_column) {
      return false;
    }
    a = x.next;
    b = y.next;
  }
  return a == b;
}

}  // namespace

std::size_t name_size(const char* base, const char* extension) {
  return std::strlen(base) + std::strlen(extension) + 1;
}

bool extension_upper(const char* name) {
  for (std::size_t i = std::strlen(name); i-- > 0;) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (is_letter(c)) return is_upper_letter(c);
  }
  return false;
}

void write_name(char* name, const char* base, const char* extension, bool upper) {
  const std::size_t base_length = std::strlen(base);
  std::memcpy(name, base, base_length);
  std::memcpy(name + base_length, extension, name_size(base, extension) - base_length);
  if (upper) str_upper(name + base_length);
}

char* heap_copy(const char* name) {
  auto* copy = static_cast<char*>(mem_alloc(std::strlen(name) + 1));
  if (copy != nullptr) std::strcpy(copy, name);
  return copy;
}

char* name_with_extension(const char* base, const char* extension) {
  auto* name = static_cast<char*>(mem_alloc(name_size(base, extension)));
  if (name != nullptr) write_name(name, base, extension, extension_upper(base));
  return name;
}

Outcome StanReader::standardize() {
  if (stan_.process_order_seen) {
    print_text(stan_text::kProcessOrderFirst);
    return Outcome::kFail;
  }
  if (key_order_seen_) {
    print_text(stan_text::kKeyOrderFirst);
    return Outcome::kFail;
  }
  if (stan_.process_count == kMaxProcesses) {
    print_text(stan_text::kTooManyProcesses);
    return Outcome::kFail;
  }
  split_line(stan_.current_line, false, kept_);
  if (kept_.count < 2) {
    list_error(stan_text::kNoProcessName);
    return Outcome::kContinue;
  }
  // The case of the name's last letter chooses the case of the file extensions, so a name
  // must have one.
  const char* name = kept_.tokens[1];
  if (!has_letter(name)) {
    list_error(stan_text::kNameWithoutLetter);
    return Outcome::kContinue;
  }
  const int p = stan_.process_count;
  stan_.first_format_entry[p] = format_items(2);
  copy_text(stan_.process_name[p], kProcessNameSize, name);
  char** files[] = {&stan_.class_file[p], &stan_.pattern_file[p], &stan_.dictionary_file[p]};
  const char* extensions[] = {".cls", ".pat", ".dct"};
  for (int i = 0; i < 3; ++i) {
    *files[i] = name_with_extension(name, extensions[i]);
    if (*files[i] == nullptr) {
      list(stan_text::kNoMemoryName);
      return Outcome::kFail;
    }
  }
  stan_.input_number[p] = input_number(p);
  ++stan_.process_count;
  return Outcome::kContinue;
}

short StanReader::input_number(int p) const {
  if (stan_.next_format_entry == 1) return 0;
  if (p > 0 && same_pieces(stan_, stan_.first_format_entry[p - 1], stan_.first_format_entry[p])) {
    return stan_.input_number[p - 1];
  }
  for (short n = 0;; ++n) {
    bool used = false;
    for (int q = 0; q < p; ++q) used = used || stan_.input_number[q] == n;
    if (!used) return n;
  }
}

namespace {

// Reads the format items of one STANDARDIZE line into new format entries.
class FormatItems {
 public:
  FormatItems(Stan& stan, const TokenArea& kept, StanReader& reader)
      : stan_(stan), kept_(kept), reader_(reader) {}

  // Returns the index of the first entry made, or 0.
  short parse(int i) {
    while (i < kept_.count) {
      if (str_icmp(kept_.tokens[i], stan_text::kLine) == 0) {
        if (open_ && !close()) return first_;
        if (!open_entry() || !line_range(i)) return first_;
      } else {
        if (!open_ && !open_entry()) return first_;
        if (!piece(i) || !close()) return first_;
      }
    }
    if (open_) close();
    return first_;
  }

 private:
  const char* token(int i) const { return i < kept_.count ? kept_.tokens[i] : nullptr; }
  bool is_hyphen(int i) const { return i < kept_.count && std::strcmp(kept_.tokens[i], "-") == 0; }

  bool fail(const char* message) {
    reader_.list_error(message);
    return false;
  }

  bool number(int i, int* value) {
    if (read_number(kept_.tokens[i], SHRT_MAX, value)) return true;
    return fail(stan_text::kNotANumber);
  }

  // Every item opens one entry unless a LINE item opened it; a tenth entry stops the reading.
  bool open_entry() {
    if (stan_.next_format_entry >= kFormatEntries) {
      reader_.list_stop(stan_text::kTooManyFormats);
      return false;
    }
    entry_ = FormatEntry{};
    open_ = true;
    return true;
  }

  bool close() {
    const short index = stan_.next_format_entry++;
    stan_.format[index] = entry_;
    if (previous_ != 0) stan_.format[previous_].next = index;
    if (first_ == 0) first_ = index;
    previous_ = index;
    open_ = false;
    return true;
  }

  // LINE n or LINE n - m.
  bool line_range(int& i) {
    int first = 0;
    int last = 0;
    if (token(i + 1) == nullptr) return fail(stan_text::kLineNeedsNumber);
    if (!number(i + 1, &first)) return false;
    last = first;
    i += 2;
    if (is_hyphen(i)) {
      if (token(i + 1) == nullptr) return fail(stan_text::kLineNeedsTwoNumbers);
      if (!number(i + 1, &last)) return false;
      i += 2;
    }
    entry_.first_line = static_cast<short>(first);
    entry_.last_line = static_cast<short>(last);
    return true;
  }

  bool piece(int& i) {
    const char* t = kept_.tokens[i];
    if (std::strcmp(t, stan_text::kNewlineUpper) == 0 ||
        std::strcmp(t, stan_text::kNewlineLower) == 0) {
      std::strcpy(entry_.literal, "\n");
      entry_.length = 1;
      entry_.declared_length = 1;
      ++i;
      return true;
    }
    if (t[0] == '"') {
      ++i;
      return literal(t);
    }
    return columns(i);
  }

  bool literal(const char* t) {
    const std::size_t n = std::strlen(t);
    if (n == 1) return fail(stan_text::kLoneQuote);
    if (t[n - 1] != '"') return fail(stan_text::kMissingQuote);
    // The literal field holds 40 characters.
    if (n - 2 > kFormatLiteralSize) return fail(stan_text::kLiteralTooLong);
    std::memcpy(entry_.literal, t + 1, n - 2);
    entry_.literal[n - 2] = '\0';
    entry_.length = static_cast<short>(n - 2);
    entry_.declared_length = 1;
    return true;
  }

  // (n m): start column n, length m; (n-m): columns n to m. A piece must lie within the
  // longest input line, so that the input area stays countable in shorts.
  bool columns(int& i) {
    int start = 0;
    int second = 0;
    if (!number(i, &start)) return false;
    const bool range = is_hyphen(i + 1);
    const int second_at = range ? i + 2 : i + 1;
    if (token(second_at) == nullptr) return fail(stan_text::kBadColumnPiece);
    if (!number(second_at, &second)) return false;
    const int length = range ? second - start + 1 : second;
    if (start < 1 || length < 1 || start + length - 1 > kMaxRecordSize) {
      return fail(stan_text::kBadColumnPiece);
    }
    entry_.start_column = static_cast<short>(start);
    entry_.length = static_cast<short>(length);
    entry_.declared_length = static_cast<short>(length);
    i = second_at + 1;
    return true;
  }

  Stan& stan_;
  const TokenArea& kept_;
  StanReader& reader_;
  FormatEntry entry_{};
  bool open_ = false;
  short first_ = 0;
  short previous_ = 0;
};

}  // namespace

short StanReader::format_items(int first) { return FormatItems(stan_, kept_, *this).parse(first); }

}  // namespace tovr
