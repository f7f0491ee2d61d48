#include "host_io.h"

#include <sys/stat.h>

#include <cstring>

#include "tovr.h"

namespace tovr::cli {
namespace {

// The sources of the record input; reading moves to the next source at the end of one, so
// that several files read as one input.
struct RecordInput {
  std::vector<HostIo::Source> sources;
  size_t current = 0;
  long lines = 0;

  FILE* file() {
    while (current < sources.size()) {
      FILE* f = sources[current].file;
      if (f != nullptr && std::feof(f) == 0) {
        int c = std::fgetc(f);
        if (c != EOF) {
          std::ungetc(c, f);
          return f;
        }
      }
      if (current + 1 >= sources.size()) return nullptr;
      ++current;
      lines = 0;
    }
    return nullptr;
  }
};

// Process-wide by nature: the callback table the library calls is process-wide too.
std::string g_base_directory;
RecordInput g_input;

FILE* as_file(void* stream) { return static_cast<FILE*>(stream); }

bool is_read_mode(const char* mode) {
  return mode != nullptr && mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

bool file_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void* host_fopen(const char* name, const char* mode) {
  if (name == nullptr || mode == nullptr) return nullptr;
  if (is_read_mode(mode) && name[0] != '/' && !g_base_directory.empty()) {
    std::string beside = g_base_directory + "/" + name;
    if (file_exists(beside)) return std::fopen(beside.c_str(), mode);
  }
  return std::fopen(name, mode);
}

int host_fclose(void* stream) { return stream == nullptr ? 0 : std::fclose(as_file(stream)); }

int host_feof(void* stream) {
  if (stream != nullptr) return std::feof(as_file(stream));
  return g_input.file() == nullptr ? 1 : 0;
}

void host_rewind(void* stream) {
  if (stream != nullptr) std::rewind(as_file(stream));
}

int host_fseek(void* stream, long offset, int origin) {
  if (stream == nullptr) return -1;
  return std::fseek(as_file(stream), offset, origin);
}

int host_fgetc(void* stream) {
  if (stream != nullptr) return std::fgetc(as_file(stream));
  FILE* input = g_input.file();
  if (input == nullptr) return EOF;
  int c = std::fgetc(input);
  if (c == '\n') ++g_input.lines;
  return c;
}

char* host_fgets(char* buf, int size, void* stream) {
  if (stream != nullptr) return std::fgets(buf, size, as_file(stream));
  FILE* input = g_input.file();
  if (input == nullptr) return nullptr;
  char* got = std::fgets(buf, size, input);
  if (got != nullptr) {
    size_t length = std::strlen(got);
    // A line cut by the buffer size is counted once, at its end.
    if (length > 0 && (got[length - 1] == '\n' || std::feof(input))) ++g_input.lines;
  }
  return got;
}

size_t host_fread(void* buf, size_t size, size_t count, void* stream) {
  if (stream != nullptr) return std::fread(buf, size, count, as_file(stream));
  FILE* input = g_input.file();
  if (input == nullptr) return 0;
  size_t got = std::fread(buf, size, count, input);
  const char* bytes = static_cast<const char*>(buf);
  for (size_t i = 0; i < got * size; ++i) {
    if (bytes[i] == '\n') ++g_input.lines;
  }
  return got;
}

// The note the compiler gives for every pattern file that is not enciphered: it tells a
// user of the tool nothing, and the tool leaves it out.
constexpr const char* kPlainPatternNote = "Loading non-encrypted pattern file.";

// Library messages go to standard error. A message that does not end its line (some are
// a single sentence) gets a line end, so that the next output starts on a line of its own.
int host_printf(const char* text) {
  if (text == nullptr || std::strcmp(text, kPlainPatternNote) == 0) return 0;
  int written = std::fputs(text, stderr);
  size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] != '\n') std::fputc('\n', stderr);
  return written;
}

int host_fprintf(void* stream, const char* text) {
  if (stream == nullptr || text == nullptr) return 0;
  return std::fputs(text, as_file(stream));
}

template <class Fn>
TOVR_Callback slot(Fn fn) {
  return reinterpret_cast<TOVR_Callback>(fn);
}

}  // namespace

void HostIo::install() {
  TOVR_LibInit();
  TOVR_cbSet(TOVRCB_Fopen, slot(host_fopen));
  TOVR_cbSet(TOVRCB_Fclose, slot(host_fclose));
  TOVR_cbSet(TOVRCB_Feof, slot(host_feof));
  TOVR_cbSet(TOVRCB_Fseek, slot(host_fseek));
  TOVR_cbSet(TOVRCB_Rewind, slot(host_rewind));
  TOVR_cbSet(TOVRCB_Fgetc, slot(host_fgetc));
  TOVR_cbSet(TOVRCB_Fgets, slot(host_fgets));
  TOVR_cbSet(TOVRCB_Fread, slot(host_fread));
  TOVR_cbSet(TOVRCB_Printf, slot(host_printf));
  TOVR_cbSet(TOVRCB_Fprintf, slot(host_fprintf));
}

void HostIo::set_base_directory(const std::string& dir) { g_base_directory = dir; }

void HostIo::set_record_input(const std::vector<Source>& sources) {
  g_input.sources = sources;
  g_input.current = 0;
  g_input.lines = 0;
}

const std::string& HostIo::input_name() {
  static const std::string none;
  if (g_input.current >= g_input.sources.size()) return none;
  return g_input.sources[g_input.current].name;
}

long HostIo::input_line() { return g_input.lines; }

}  // namespace tovr::cli
