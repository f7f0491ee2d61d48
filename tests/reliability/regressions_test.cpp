// Faults found by the sweeps and the fuzz targets, each kept as the test of what broke.
// A test whose name begins with DISABLED_ records a finding not yet fixed in its family.
#include <gtest/gtest.h>

#include "matchkey/match_key.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

// A read that fails in the middle of a rules file must fail the load (the natural code is 2,
// "Unable to find rules file", as the table service reports an unreadable table like a
// missing one), not end it quietly with the statements read so far.
TEST(MatcherRegressions, DISABLED_RulesFileReadErrorIsNotTakenAsEndOfFile) {
  test::MemFs fs;
  fs.put("key.dct", "NM C 10 S\n");
  fs.put("rules.txt", "VAR NAME 1 10 S\nMATCH CHAR NM NAME 0.9 0.1\n");
  TOVR_Mk* mk = nullptr;
  TOVR_Mt* mt = nullptr;
  ASSERT_EQ(TOVR_mkInit(&mk), 0);
  ASSERT_EQ(mkDictLoad(mk, "KEY", "key", "key.dct"), 0);
  ASSERT_EQ(TOVR_mtInit(&mt, mk), 0);
  TOVR_Rules* rules = nullptr;
  {
    test::FileFaults faults;
    faults.fail_at(test::FileFaults::Op::kRead, 2);  // the second line
    EXPECT_NE(TOVR_mtLoad(mt, "rules.txt", "KEY", nullptr, &rules), 0);
    EXPECT_TRUE(faults.injected());
  }
  EXPECT_EQ(rules, nullptr);
  EXPECT_EQ(fs.open_streams(), 0);
  if (rules != nullptr) TOVR_mtFreeRules(&rules);
  TOVR_mtClose(mt);
  TOVR_mkFree(mk, "KEY");
  TOVR_mkClose(mk);
}

}  // namespace
}  // namespace tovr
