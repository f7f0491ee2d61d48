// The cipher of enciphered pattern files.
//
// An enciphered pattern file starts with a marker line whose first byte is 155; every later
// line is enciphered on its own. The cipher shifts each printable character (32 to 126)
// within those 95 characters by a key that depends on the type code and on the character's
// position in the line; every other byte (tab, line end, bytes above 126) is left as it is.
// A printable character stays printable, so an enciphered line never holds a line end or a
// NUL and reads back line by line exactly as it was written.
#pragma once

namespace tovr {

inline constexpr unsigned char kEncipheredMarker = 155;

// Deciphers line[0..length) in place (the pattern compiler uses type 2). Returns 0, or -1
// after the console message "Invalid enctyp, encdec." for a type other than 1, 2 or 3.
int encdec(int enctyp, char* line, int length);

// The inverse of encdec, with the same result codes.
int encipher_line(int enctyp, char* line, int length);

// Writes an enciphered copy of the plain pattern file `from` to `to`: the marker line, then
// every line enciphered with type 2. Returns 0, or 1 when a file does not open, a read or a
// write fails.
int encipher_pattern_file(const char* from, const char* to);

}  // namespace tovr
