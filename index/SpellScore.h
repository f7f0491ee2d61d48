// The similarity score of two texts that widens query terms: 0 to 900, 900 for texts equal
// without regard to case. It is the Jaro similarity scaled by 900, with a matching window
// of 2 characters for texts shorter than 11, 3 up to 15 and 4 above:
//   score = 300 * (m / |a| + m / |b| + (m - t / 2) / m)
// where m counts the characters of a matched in b within the window, and t the places at
// which the matched characters of a and of b, read in order, differ.
#pragma once

namespace tovr {

inline constexpr float kPerfectScore = 900.0f;

// Scores a[0..a_length) against b[0..b_length); letters compare without regard to case.
float spell_score(const char* a, int a_length, const char* b, int b_length);

}  // namespace tovr
