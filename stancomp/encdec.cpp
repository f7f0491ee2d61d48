// The cipher of enciphered pattern files (see encdec.h).
#include "stancomp/encdec.h"

#include <cstring>

#include "frame/line_reader.h"
#include "frame/messages.h"
#include "frame/stream.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

constexpr int kFirstPrintable = 32;
constexpr int kPrintableCount = 95;  // 32 to 126

bool valid_type(int enctyp) { return enctyp >= 1 && enctyp <= 3; }

// Shift of the character at position i for a type: a small affine sequence, never 0, so that
// no character enciphers to itself at every position.
int key_at(int enctyp, int i) { return 1 + (enctyp * 29 + i * 37) % (kPrintableCount - 1); }

int shift_line(int enctyp, char* line, int length, int direction, int first_position) {
  if (!valid_type(enctyp)) {
    console_message("%s", patmsg::kInvalidEnctyp);
    return -1;
  }
  for (int i = 0; i < length; ++i) {
    const int b = static_cast<unsigned char>(line[i]);
    if (b < kFirstPrintable || b >= kFirstPrintable + kPrintableCount) continue;
    const int k = key_at(enctyp, first_position + i) * direction;
    const int shifted = ((b - kFirstPrintable + k) % kPrintableCount + kPrintableCount) %
                        kPrintableCount;
    line[i] = static_cast<char>(kFirstPrintable + shifted);
  }
  return 0;
}

}  // namespace

int encdec(int enctyp, char* line, int length) { return shift_line(enctyp, line, length, -1, 0); }

int encipher_line(int enctyp, char* line, int length) {
  return shift_line(enctyp, line, length, 1, 0);
}

int encipher_pattern_file(const char* from, const char* to) {
  Stream in = stream_open(from, "r");
  if (in == nullptr) return 1;
  StreamCloser in_closer(in);
  Stream out = stream_open(to, "w");
  if (out == nullptr) return 1;
  StreamCloser out_closer(out);

  const char marker[] = {static_cast<char>(kEncipheredMarker), '\n'};
  if (stream_write(marker, 1, sizeof marker, out) != sizeof marker) return 1;
  // A physical line may arrive in several pieces; the key runs on across them so that the
  // compiler, which reads the line in one piece, deciphers it with the same positions.
  char buf[kLineBufferSize];
  int position = 0;
  for (;;) {
    const ReadResult got = read_line(in, buf, sizeof buf);
    if (got == ReadResult::kError) return 1;
    if (got == ReadResult::kEnd) break;
    int n = static_cast<int>(std::strlen(buf));
    int body = n;
    while (body > 0 && (buf[body - 1] == '\n' || buf[body - 1] == '\r')) --body;
    shift_line(2, buf, body, 1, position);
    if (stream_write(buf, 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
      return 1;
    }
    position = (n > 0 && buf[n - 1] == '\n') ? 0 : position + n;
  }
  return stream_flush(out) == 0 ? 0 : 1;
}

}  // namespace tovr
