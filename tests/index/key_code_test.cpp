#include <gtest/gtest.h>

#include "index/KeyCode.h"
#include "support/test_support.h"

namespace tovr {
namespace {

TEST(SoundCode, KnownNamesCodeAsExpected) {
  EXPECT_EQ(sound_code("ROBERT"), 0x64E6);
  EXPECT_EQ(sound_code("RUPERT"), 0x64E6);
  // The H between S and C lets the C be emitted again.
  EXPECT_EQ(sound_code("ASHCRAFT"), 0x012C);
  // A first byte that is not a letter sets bit 15.
  EXPECT_EQ(sound_code("1ST"), 0x8530);
  EXPECT_EQ(sound_code("robert"), 0x64E6);
  // Equal classes next to each other emit once: BB is one 1.
  EXPECT_EQ(sound_code("ABBA"), 0x0080);
  // At most three digits.
  EXPECT_EQ(sound_code("BCDLMR"), (8 << 10) | (2 << 7) | (3 << 4) | (4 << 1));
  // Any byte outside the tables is class 7 and first-letter class 26.
  EXPECT_EQ(sound_code("#A9"), 0x8000 | (26 << 10) | (7 << 7));
  // A byte of the same class as the byte before it emits nothing.
  EXPECT_EQ(sound_code("#9"), 0x8000 | (26 << 10));
}

TEST(PearsonHash, OneByteKeyUsesTwoTableEntries) {
  EXPECT_EQ(pearson16("A"), 0xEA39);
  // 32 bits: T[0x41..0x44] from the low byte up.
  EXPECT_EQ(pearson32("A"), 0x3C1639EAu);
}

TEST(PearsonHash, HighFirstBytesStartPastTheTable) {
  const char key[] = {static_cast<char>(0xFF), 0};
  // T[0xFF] = 0xD1, entry 256 = 0x01; 32 bits adds entries 257 and 258 (0).
  EXPECT_EQ(pearson16(key), 0xD101);
  EXPECT_EQ(pearson32(key), 0x000001D1u);
  const char key2[] = {static_cast<char>(0xFD), 0};
  EXPECT_EQ(pearson32(key2), 0x01D1B86Du);
}

TEST(PearsonHash, FollowingBytesAreMixedThroughTheTable) {
  // a = T[T['A'] ^ 'B'], b = T[T['A' + 1] ^ 'B'].
  const unsigned a = 0xEA ^ 'B';  // T[0x41] = 0xEA
  const unsigned b = 0x39 ^ 'B';  // T[0x42] = 0x39
  EXPECT_EQ(a, 0xA8u);
  EXPECT_EQ(b, 0x7Bu);
  // T[0xA8] = 0x69, T[0x7B] = 0x20.
  EXPECT_EQ(pearson16("AB"), 0x6920);
}

TEST(KeyCoding, TailDoesNotChangeTheCode) {
  const KeyCoding sound{kSoundCodeMethod, 16};
  const KeyCoding hash16{kPearsonMethod, 16};
  const KeyCoding hash32{kPearsonMethod, 32};
  for (const KeyCoding& c : {sound, hash16, hash32}) {
    EXPECT_EQ(code_key(c, "SMITH").walk_code, code_key(c, "SMITH\\JOHN").walk_code);
    EXPECT_EQ(code_key(c, "SMITH").walk_code, code_key(c, "SMITH\\").walk_code);
  }
  EXPECT_EQ(code_key(hash32, "SMITH").short_code, pearson16("SMITH"));
}

TEST(KeyCoding, CaseMattersOnlyToTheHash) {
  EXPECT_EQ(code_key({kSoundCodeMethod, 16}, "smith").walk_code,
            code_key({kSoundCodeMethod, 16}, "SMITH").walk_code);
  EXPECT_NE(code_key({kPearsonMethod, 16}, "smith").walk_code,
            code_key({kPearsonMethod, 16}, "SMITH").walk_code);
  EXPECT_NE(code_key({kPearsonMethod, 32}, "smith").walk_code,
            code_key({kPearsonMethod, 32}, "SMITH").walk_code);
}

TEST(KeyCoding, LongSoundCodeReportsAndWalksSixteenBits) {
  test::ConsoleCapture console;
  const KeyCoding coding{kSoundCodeMethod, 32};
  EXPECT_EQ(coding.walk_width(), 16);
  const KeyCodes codes = code_key(coding, "ROBERT");
  EXPECT_EQ(codes.walk_code, 0x64E6u);
  EXPECT_EQ(console.text(), "Long SOUNDEX not implemented yet");
  console.clear();
  code_key({kSoundCodeMethod, 16}, "ROBERT");
  EXPECT_EQ(console.text(), "");
}

}  // namespace
}  // namespace tovr
