// Match key dictionaries of the processes and of the KEYORDER keys (mkDictionaries), and the
// default key names.
//
// A process's field names and key record length are taken from the layout that the match key
// service has just loaded from its dictionary, not from a reading of the file of the
// compiler's own: the engine copies the whole layout record into the key buffer, so the
// buffer's length must be the layout's, and two readings of one file by different rules
// (comment characters, header lines, reads that fail) would not always agree.
#include <climits>
#include <cstring>

#include "frame/line_reader.h"
#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/strings.h"
#include "matchkey/match_key.h"
#include "stancomp/compile_steps.h"
#include "stancomp/listing.h"
#include "stancomp/stan_reader.h"
#include "stancomp/stan_texts.h"

namespace tovr {
namespace {

constexpr int kDictionaryLineSize = 255;
constexpr int kMaxDictionaryFieldLength = 199;
constexpr int kMaxLengthDigits = 3;
constexpr std::size_t kFieldNamesChunk = 32;  // names per growth of the field name text

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Sums stay within a short: a file of absurd length saturates instead of wrapping.
void add_length(short& sum, int length) {
  const int s = sum + length;
  sum = static_cast<short>(s > SHRT_MAX ? SHRT_MAX : s);
}

void add_total(short* total, int length) {
  if (total != nullptr) add_length(*total, length);
}

// The work lines of the dictionary reading.
class DictionaryBuffers {
 public:
  DictionaryBuffers() = default;
  ~DictionaryBuffers() {
    mem_free(line_);
    mem_free(temp_);
  }
  DictionaryBuffers(const DictionaryBuffers&) = delete;
  DictionaryBuffers& operator=(const DictionaryBuffers&) = delete;

  bool allocate() {
    line_ = static_cast<char*>(mem_alloc(kDictionaryLineSize));
    if (line_ == nullptr) {
      print_text(stan_text::kNoMemoryInputLine);
      return false;
    }
    temp_ = static_cast<char*>(mem_alloc(kDictionaryLineSize));
    if (temp_ == nullptr) {
      print_text(stan_text::kNoMemoryTemp);
      return false;
    }
    return true;
  }
  char* line() { return line_; }
  char* temp() { return temp_; }

 private:
  char* line_ = nullptr;
  char* temp_ = nullptr;
};

// The length of a KEYORDER dictionary line: the first run of digits from the fourth column
// on, before any ";"; 0 when there is none. False after its message for a run of 4 or more
// digits or a length above 199.
bool field_length(const char* line, char* temp, int* length) {
  *length = 0;
  if (std::strlen(line) <= 3) return true;
  const char* p = line + 3;
  while (*p != '\0' && *p != ';' && !is_digit(*p)) ++p;
  int digits = 0;
  for (; is_digit(p[digits]); ++digits) {
    if (digits == kMaxLengthDigits) {
      print_text(stan_text::kDictionaryError);
      return false;
    }
    temp[digits] = p[digits];
  }
  temp[digits] = '\0';
  for (int i = 0; i < digits; ++i) *length = *length * 10 + (temp[i] - '0');
  if (*length > kMaxDictionaryFieldLength) {
    console_message(stan_text::kFieldTooLong, kMaxDictionaryFieldLength);
    return false;
  }
  return true;
}

// The field names of one process: two characters per field, upper-cased, one text.
class FieldNames {
 public:
  explicit FieldNames(char*& text) : text_(text) {}

  // A one-character name is padded with a blank, so that every name takes two characters.
  bool append(const char* name) {
    if (used_ + 3 > capacity_) {
      const std::size_t capacity = capacity_ + 2 * kFieldNamesChunk;
      auto* grown = static_cast<char*>(mem_realloc(text_, capacity));
      if (grown == nullptr) {
        print_text(stan_text::kNoMemoryFields);
        return false;
      }
      text_ = grown;
      capacity_ = capacity;
    }
    int taken = 0;
    for (const char* p = name; *p != '\0' && taken < 2; ++p) text_[used_ + taken++] = *p;
    while (taken < 2) text_[used_ + taken++] = ' ';
    used_ += 2;
    text_[used_] = '\0';
    str_upper(text_ + used_ - 2);
    return true;
  }

  bool start() {
    text_ = static_cast<char*>(mem_alloc(2 * kFieldNamesChunk + 1));
    if (text_ == nullptr) {
      print_text(stan_text::kNoMemoryFields);
      return false;
    }
    capacity_ = 2 * kFieldNamesChunk + 1;
    text_[0] = '\0';
    return true;
  }

 private:
  char*& text_;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
};

// A dictionary that does not open. A read that fails is reported the same way: a dictionary
// read in part would give a wrong length.
bool unusable_dictionary(const char* file_name) {
  print_text(stan_text::kDictionaryNotOpen);
  console_message(stan_text::kIndentedName, file_name);
  return false;
}

Stream open_dictionary(const char* file_name) {
  Stream file = stream_open(file_name, "r");
  if (file == nullptr) unusable_dictionary(file_name);
  return file;
}

// The field names, in the layout's order, and the record length of the layout loaded for the
// process.
bool take_layout_fields(Stan& stan, int p, short* total) {
  MatchKeyLayout* layout = nullptr;
  const int status = find_layout(stan.mk, stan.processMatchKey[p], &layout);
  if (status != kMkOk) {
    console_message(stan_text::kWithFileName, mk_code_text(status), stan.dictionary_file[p]);
    return false;
  }
  FieldNames names(stan.processMatchKeyFields[p]);
  if (!names.start()) return false;
  for (int f = 0; f < layout->field_count; ++f) {
    const FieldDef& field = layout->fields[f];
    if (field.length > kMaxDictionaryFieldLength) {
      console_message(stan_text::kFieldTooLong, kMaxDictionaryFieldLength);
      return false;
    }
    if (!names.append(field.name)) return false;
  }
  // A layout holds at most 32767 characters, so its length fits the key record length.
  stan.key_record_length[p] = layout->record_length;
  add_total(total, layout->record_length);
  return true;
}

// A process with a dictionary of its own: its match key name is the file name without its
// four-character extension, under which the dictionary is loaded as a layout.
bool load_own_dictionary(Stan& stan, int p, short* total) {
  const char* file_name = stan.dictionary_file[p];
  const std::size_t file_length = std::strlen(file_name);
  const std::size_t name_length = file_length > 4 ? file_length - 4 : 0;
  char*& name = stan.processMatchKey[p];
  name = static_cast<char*>(mem_alloc(name_length + 1));
  if (name == nullptr) {
    print_text(stan_text::kNoMemoryMatchKey);
    return false;
  }
  std::memcpy(name, file_name, name_length);
  name[name_length] = '\0';
  auto* loader_name = static_cast<char*>(mem_alloc(name_length + 1));
  if (loader_name == nullptr) {
    print_text(stan_text::kNoMemoryDictName);
    return false;
  }
  std::memcpy(loader_name, name, name_length + 1);
  const int status = mkDictLoad(stan.mk, loader_name, loader_name, file_name);
  mem_free(loader_name);
  if (status != kMkOk) {
    console_message(stan_text::kWithFileName, mk_code_text(status), file_name);
    return false;
  }
  stan.layout_loaded[p] = true;
  if (!take_layout_fields(stan, p, total)) return false;
  const auto size = static_cast<std::size_t>(stan.key_record_length[p]) + 1;
  stan.processMatchKeyContents[p] = static_cast<char*>(mem_alloc_zeroed(1, size));
  if (stan.processMatchKeyContents[p] == nullptr) {
    print_text(stan_text::kNoMemoryContents);
    return false;
  }
  return true;
}

// Dictionary file names are compared without regard to case, as are the match key names
// they give: two spellings of one name must not load the layout twice.
int earlier_same_dictionary(const Stan& stan, int p) {
  for (int q = 0; q < p; ++q) {
    if (str_icmp(stan.dictionary_file[q], stan.dictionary_file[p]) == 0) return q;
  }
  return -1;
}

// A KEYORDER key belongs to a process when it is the process's name or begins with the
// process's match key name.
bool key_belongs_to_process(const Stan& stan, const char* key) {
  for (int p = 0; p < stan.process_count; ++p) {
    if (str_icmp(key, stan.process_name[p]) == 0) return true;
    const char* match_key = stan.processMatchKey[p];
    if (match_key == nullptr) continue;
    const int n = static_cast<int>(std::strlen(match_key));
    if (str_nicmp(key, match_key, n) == 0) return true;
  }
  return false;
}

// A key of no process is only measured: every line that does not begin with "\" counts.
bool measure_key_dictionary(Stan& stan, int k, DictionaryBuffers& buffers, short* total) {
  StreamCloser file(open_dictionary(stan.key_dictionary_file[k]));
  if (file.get() == nullptr) return false;
  for (;;) {
    const ReadResult got = read_line(file.get(), buffers.line(), kDictionaryLineSize);
    if (got == ReadResult::kEnd) return true;
    if (got == ReadResult::kError) return unusable_dictionary(stan.key_dictionary_file[k]);
    if (buffers.line()[0] == '\\') continue;
    int length = 0;
    if (!field_length(buffers.line(), buffers.temp(), &length)) return false;
    add_length(stan.key_length[k], length);
    add_total(total, length);
  }
}

}  // namespace

bool set_default_key_names(Stan& stan) {
  if (stan.key_count != 0) return true;
  for (int p = 0; p < stan.process_count; ++p) {
    if (earlier_same_dictionary(stan, p) >= 0) continue;
    char*& key = stan.key_name[stan.key_count];
    key = heap_copy(stan.process_name[p]);
    if (key == nullptr) {
      list_line(stan, stan_text::kNoMemoryName);
      return false;
    }
    ++stan.key_count;
  }
  return true;
}

bool load_dictionaries(Stan& stan, short* total) {
  DictionaryBuffers buffers;
  if (!buffers.allocate()) return false;
  for (int p = 0; p < stan.process_count; ++p) {
    const int q = earlier_same_dictionary(stan, p);
    if (q >= 0) {
      stan.processMatchKey[p] = stan.processMatchKey[q];
      stan.processMatchKeyContents[p] = stan.processMatchKeyContents[q];
      stan.processMatchKeyFields[p] = stan.processMatchKeyFields[q];
      stan.key_record_length[p] = stan.key_record_length[q];
      continue;
    }
    if (!load_own_dictionary(stan, p, total)) return false;
  }
  for (int k = 0; k < stan.key_count; ++k) {
    if (stan.key_dictionary_file[k] == nullptr || key_belongs_to_process(stan, stan.key_name[k])) {
      continue;
    }
    if (!measure_key_dictionary(stan, k, buffers, total)) return false;
  }
  return true;
}

bool resolve_move_fields(Stan& stan) {
  if (stan.aux_output_file_name[0] == '\0' || stan.aux->count == 0 ||
      stan.aux->entry.kind != AuxKind::kField) {
    return true;
  }
  AuxEntry& item = stan.aux->entry;
  char value[kMkMaxFieldLength + 1];
  for (int p = 0; p < stan.process_count; ++p) {
    const int status = TOVR_mkGet(stan.mk, stan.processMatchKey[p], item.field, value);
    if (status == kMkOk) {
      item.process = static_cast<short>(p);
      return true;
    }
    if (status != kMkFieldNotFound) {
      print_text(stan_text::kMoveGetError);
      return false;
    }
  }
  print_text(stan_text::kMoveFieldUnknown);
  return false;
}

}  // namespace tovr
