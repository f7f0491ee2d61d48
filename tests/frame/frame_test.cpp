#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>
#include <string>

#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/strings.h"
#include "frame/handle.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

int host_printf(const char*) { return 0; }
int host_fprintf(void*, const char*) { return 0; }

TOVR_Callback cb(int (*fn)(const char*)) { return reinterpret_cast<TOVR_Callback>(fn); }
TOVR_Callback cb(int (*fn)(void*, const char*)) { return reinterpret_cast<TOVR_Callback>(fn); }

class LibraryStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TOVR_LibExit();
    TOVR_cbSet(TOVRCB_Fprintf, nullptr);
    TOVR_LibInit();
  }
  void TearDown() override {
    TOVR_cbSet(TOVRCB_Fprintf, nullptr);
    TOVR_LibExit();
    TOVR_LibInit();
  }
};

TEST_F(LibraryStateTest, SecondInitKeepsHostCallbacks) {
  TOVR_cbSet(TOVRCB_Printf, cb(&host_printf));
  TOVR_LibInit();
  EXPECT_EQ(TOVR_cbGet(TOVRCB_Printf), cb(&host_printf));
}

TEST_F(LibraryStateTest, ExitThenInitRestoresDefaultsButKeepsSlot14) {
  TOVR_Callback default_printf = TOVR_cbGet(TOVRCB_Printf);
  TOVR_cbSet(TOVRCB_Printf, cb(&host_printf));
  TOVR_cbSet(TOVRCB_Fprintf, cb(&host_fprintf));
  TOVR_LibExit();
  EXPECT_EQ(TOVR_cbGet(TOVRCB_Printf), cb(&host_printf)) << "exit must not touch the table";
  TOVR_LibInit();
  EXPECT_EQ(TOVR_cbGet(TOVRCB_Printf), default_printf);
  EXPECT_EQ(TOVR_cbGet(TOVRCB_Fprintf), cb(&host_fprintf));
}

TEST_F(LibraryStateTest, SlotsAfterInit) {
  for (int i = 0; i < 14; ++i) EXPECT_NE(TOVR_cbGet(i), nullptr) << "slot " << i;
  EXPECT_EQ(TOVR_cbGet(TOVRCB_Fprintf), nullptr);
  EXPECT_EQ(TOVR_cbGet(-1), nullptr);
  EXPECT_EQ(TOVR_cbGet(15), nullptr);
  EXPECT_EQ(TOVR_cbSet(15, cb(&host_printf)), nullptr);
  EXPECT_EQ(TOVR_cbSet(TOVRCB_Printf, cb(&host_printf)), cb(&host_printf));
}

TEST_F(LibraryStateTest, FloatingPointExceptionsDoNotTrap) {
  volatile double zero = 0.0;
  volatile double inf = 1.0 / zero;
  EXPECT_TRUE(inf > 1e308);
  volatile double nan = zero / zero;
  EXPECT_NE(nan, nan);
}

TEST(Messages, ConsoleAndFileMessagesReachTheirSlots) {
  test::ConsoleCapture capture;
  console_message("%s %d", "count", 42);
  short_console_message("[%c]", 'x');
  EXPECT_EQ(capture.text(), "count 42[x]");

  file_message(nullptr, "never %d", 1);
  EXPECT_EQ(capture.file_text(), "");
  int dummy_stream = 0;
  file_message(&dummy_stream, "line %d\n", 7);
  EXPECT_EQ(capture.file_text(), "line 7\n");
}

TEST(Messages, LongTextsAreCutToTheirBuffers) {
  test::ConsoleCapture capture;
  std::string long_text(3000, 'x');
  console_message("%s", long_text.c_str());
  EXPECT_EQ(capture.text().size(), 1023u);
  capture.clear();
  short_console_message("%s", long_text.c_str());
  EXPECT_EQ(capture.text().size(), 255u);
}

TEST(Messages, FileMessageWithoutHostCallbackWritesTheBytes) {
  test::MemFs fs;
  TOVR_Callback saved = TOVR_cbSet(TOVRCB_Fprintf, nullptr);
  void* s = stream_open("out.txt", "w");
  ASSERT_NE(s, nullptr);
  file_message(s, "%s=%d\n", "a", 1);
  stream_close(s);
  EXPECT_EQ(fs.get("out.txt"), "a=1\n");
  TOVR_cbSet(TOVRCB_Fprintf, saved);
}

TEST(Strings, CaseInsensitiveCompares) {
  EXPECT_EQ(str_icmp("abc", "ABD"), -1);
  EXPECT_EQ(str_icmp("ab", "AB"), 0);
  EXPECT_EQ(str_icmp("ab", "abc"), -1);
  EXPECT_EQ(str_icmp("b", "A"), 1);
  EXPECT_EQ(str_icmp("\xE9", "a"), 1) << "bytes compare unsigned";
  EXPECT_EQ(str_nicmp("ABX", "abY", 2), 0);
  EXPECT_EQ(str_nicmp("ABX", "abY", 3), -1);
  EXPECT_EQ(str_nicmp("x", "y", 0), 0);
  EXPECT_EQ(str_nicmp("ab", "AB", 5), 0);
  EXPECT_EQ(str_nicmp("ab", "abc", 5), -1);
}

TEST(Strings, InPlaceEdits) {
  char t[] = "  a b  ";
  EXPECT_STREQ(str_trim(t), "a b");
  char empty[] = "";
  EXPECT_STREQ(str_trim(empty), "");
  char blanks[] = "   ";
  EXPECT_STREQ(str_trim(blanks), "");
  char tabs[] = "\ta\t ";
  EXPECT_STREQ(str_trim(tabs), "\ta\t");

  char field[] = "AB  XYZ";
  EXPECT_STREQ(cut_field(field, 4), "AB");
  char blank_field[] = "    ";
  EXPECT_STREQ(cut_field(blank_field, 4), "");

  char word[] = "abc1";
  EXPECT_STREQ(str_reverse(word), "1cba");
  char mixed[] = "MaIn st.";
  EXPECT_STREQ(str_upper(mixed), "MAIN ST.");
}

TEST(Strings, LetterTest) {
  EXPECT_TRUE(is_letter('a'));
  EXPECT_TRUE(is_letter('Z'));
  EXPECT_TRUE(is_letter(0xE9));
  EXPECT_TRUE(is_letter(static_cast<char>(0x8A)));
  for (int c : {int{'0'}, int{'9'}, int{' '}, int{'-'}, int{'.'}, int{'#'}, 0xD7, 0xF7, 0x80, 0}) {
    EXPECT_FALSE(is_letter(c)) << c;
  }
}

TEST(Strings, CopyTextNeverOverflows) {
  char buf[4];
  EXPECT_EQ(copy_text(buf, sizeof buf, "abcdef"), 3u);
  EXPECT_STREQ(buf, "abc");
}

TEST(Handles, TagCheck) {
  struct Block {
    char tag[4];
  } b{{'R', 'U', 'L', 'E'}};
  EXPECT_TRUE(has_tag(&b, "RULE"));
  EXPECT_FALSE(has_tag(&b, "CASE"));
  EXPECT_FALSE(has_tag(nullptr, "RULE"));
  const char icb[4] = {'I', 'C', 'B', '\0'};
  EXPECT_TRUE(has_tag(icb, "ICB"));
}

struct Node {
  Vector<int> values;
};

TEST(Memory, ContainersAndObjectsUseTheCallbacks) {
  test::AllocationFaults faults;
  {
    Vector<int> v;
    v.push_back(1);
    EXPECT_GT(faults.calls(), 0);
    EXPECT_GT(faults.live_blocks(), 0);
  }
  EXPECT_EQ(faults.live_blocks(), 0);
  Node* n = make<Node>();
  ASSERT_NE(n, nullptr);
  destroy(n);
  EXPECT_EQ(faults.live_blocks(), 0);

  faults.fail_at(1);
  EXPECT_EQ(make<Node>(), nullptr);
  EXPECT_TRUE(faults.injected());
  faults.fail_at(1);
  Vector<int> v;
  bool threw = false;
  try {
    v.push_back(1);
  } catch (const std::bad_alloc&) {
    threw = true;
  }
  EXPECT_TRUE(threw);
  EXPECT_EQ(mem_alloc_zeroed(static_cast<size_t>(-1), 16), nullptr);
}

}  // namespace
}  // namespace tovr
