// The four-character phonetic code of SOUNDEX and RSOUNDEX.
#pragma once

namespace tovr {

inline constexpr int kPhoneticSize = 5;  // four characters and a NUL

// Codes text into code. Leading blanks are skipped and the first character is kept as it
// is; the letters that follow give digits (A E H I O U W Y 7, B F P V 1, C G J K Q S X Z 2,
// D T 3, L 4, M N 5, R 6, anything else 8). Until a digit occurs in the text, a digit that
// repeats the last one or is 8 is skipped and 7 only separates repeats; from the first digit
// of the text on, every character but a blank is written as it is. Unfilled places stay '0'.
void phonetic_code(const char* text, char code[kPhoneticSize]);

}  // namespace tovr
