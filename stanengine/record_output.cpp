#include "stanengine/record_output.h"

#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"

namespace tovr {
namespace {

// One file message carries at most this many characters.
constexpr int kPieceSize = kFileMessageSize - 1;
constexpr int kMkMessageSize = 128;
constexpr int kFieldValueSize = 257;

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Gathers a line in the output line buffer and hands it to the output file in pieces that
// fit one file message.
class LineWriter {
 public:
  LineWriter(Stream stream, char* buffer) : stream_(stream), buffer_(buffer) {}
  ~LineWriter() { flush(); }

  void put(const char* text, int length) {
    while (length > 0) {
      const int room = kPieceSize - used_;
      const int n = length < room ? length : room;
      std::memcpy(buffer_ + used_, text, static_cast<std::size_t>(n));
      used_ += n;
      text += n;
      length -= n;
      if (used_ == kPieceSize) flush();
    }
  }

  void blanks(int count) {
    while (count > 0) {
      const int n = count < kOutputBlanks ? count : kOutputBlanks;
      put(output_blanks(), n);
      count -= n;
    }
  }

 private:
  void flush() {
    if (used_ == 0) return;
    buffer_[used_] = '\0';
    file_message(stream_, "%s", buffer_);
    used_ = 0;
  }

  Stream stream_;
  char* buffer_;
  int used_ = 0;
};

int owner_of_key(const Stan& stan, const char* name) {
  const int length = static_cast<int>(std::strlen(name));
  for (int p = 0; p < stan.process_count && p < kMaxProcesses; ++p) {
    if (str_icmp(stan.process_name[p], name) == 0) return p;
    const char* dictionary = stan.dictionary_file[p];
    if (dictionary != nullptr && str_nicmp(dictionary, name, length) == 0) return p;
  }
  return -1;
}

void append(char* out, const char* text) {
  const std::size_t at = std::strlen(out);
  std::memcpy(out + at, text, std::strlen(text) + 1);
}

}  // namespace

void print_mk_message(int code) {
  char text[kMkMessageSize] = {};
  TOVR_mkQueryCodeEnum(code, text);
  console_message(engine_text::kLineFormat, text);
}

void write_output_line(Stan& stan, const char* key, int key_length, const char* area) {
  if (stan.output_file == nullptr) return;
  int key_chars = static_cast<int>(strnlen(key, static_cast<std::size_t>(key_length)));
  int area_chars = static_cast<int>(std::strlen(area));
  // A final control character or DEL stands for the line end.
  int& last_part = area_chars > 0 ? area_chars : key_chars;
  const char* last_text = area_chars > 0 ? area : key;
  if (last_part > 0 && is_control(static_cast<unsigned char>(last_text[last_part - 1]))) {
    --last_part;
  }
  LineWriter writer(stan.output_file, stan.work_buffers[0]);
  writer.put(key, key_chars);
  writer.put(area, area_chars);
  const int length = key_chars + area_chars;
  if (stan.output_record_length > length) writer.blanks(stan.output_record_length - length);
  writer.put("\n", 1);
}

void build_output_keys(const Stan& stan, char* keys) {
  std::size_t at = std::strlen(keys);
  for (int k = 0; k < stan.key_count && k < kMaxKeys; ++k) {
    if (stan.key_name[k] == nullptr) continue;
    const int p = owner_of_key(stan, stan.key_name[k]);
    if (p >= 0 && stan.processMatchKeyContents[p] != nullptr) {
      const auto n = static_cast<std::size_t>(stan.key_record_length[p]);
      std::memcpy(keys + at, stan.processMatchKeyContents[p], n);
      at += n;
    } else if (stan.key_length[k] > 0) {
      const auto n = static_cast<std::size_t>(stan.key_length[k]);
      std::memset(keys + at, ' ', n);
      at += n;
    }
  }
  keys[at] = '\0';
}

int build_aux_text(const Stan& stan, char* aux, const char* original) {
  if (stan.aux_output_file_name[0] == '\0' || stan.aux == nullptr) return as_status::kOk;
  for (int i = 0; i < stan.aux->count && i < 1; ++i) {
    const AuxEntry& item = stan.aux->entry;
    switch (item.kind) {
      case AuxKind::kOriginalRecord:
        append(aux, original);
        break;
      case AuxKind::kField: {
        if (item.process < 0 || item.process >= kMaxProcesses) break;
        char value[kFieldValueSize] = {};
        const int status =
            TOVR_mkGet(stan.mk, stan.processMatchKey[item.process], item.field, value);
        if (status != 0) {
          print_mk_message(status);
          return as_status::kMkGet;
        }
        append(aux, str_trim(value));
        break;
      }
      default:
        if (item.text != nullptr) append(aux, item.text);
        break;
    }
  }
  return as_status::kOk;
}

}  // namespace tovr
