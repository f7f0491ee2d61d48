// The geocoding example: every address of addresses.txt is located as expected.txt says,
// the street index is kept and reused, and the generator reproduces the reference file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "cli_runner.h"
#include "support/test_support.h"

namespace tovr::test {
namespace {

struct Expected {
  std::string address;
  std::string result;
  std::string segment;  // "-" when none
  std::string side;
  std::string position;
};

std::string trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  size_t e = s.find_last_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

std::vector<Expected> read_expected(const std::string& path) {
  std::vector<Expected> out;
  for (const std::string& line : lines_of(read_text(path))) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> parts;
    std::stringstream in(line);
    std::string part;
    while (std::getline(in, part, '|')) parts.push_back(trimmed(part));
    if (parts.size() == 5) out.push_back({parts[0], parts[1], parts[2], parts[3], parts[4]});
  }
  return out;
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

class GeocodeExample : public ::testing::Test {
 protected:
  void SetUp() override {
    geo_ = examples_dir() + "/geocode";
    dir_ = scratch_dir(
        "geocode_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }

  CliResult geocode(std::vector<std::string> extra, const std::string& input = "") {
    std::vector<std::string> args{"geocode",
                                  "--spec",
                                  examples_dir() + "/us-address/usaddr.spc",
                                  "--rules",
                                  geo_ + "/city.rul",
                                  "--reference",
                                  geo_ + "/city_segments.txt",
                                  "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_cli(args, input);
  }

  std::string geo_;
  std::string dir_;
};

TEST_F(GeocodeExample, EveryAddressIsLocatedAsExpected) {
  std::vector<Expected> expected = read_expected(geo_ + "/expected.txt");
  CliResult r = geocode({geo_ + "/addresses.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), expected.size() + 1) << r.out;
  EXPECT_EQ(lines[0].rfind("ADDRESS", 0), 0u);
  for (size_t i = 0; i < expected.size(); ++i) {
    const Expected& e = expected[i];
    const std::string& line = lines[i + 1];
    ASSERT_EQ(line.rfind(e.address, 0), 0u) << line;
    std::vector<std::string> w = words(line.substr(e.address.size()));
    ASSERT_FALSE(w.empty()) << line;
    EXPECT_EQ(w[0], e.result) << line;
    if (e.segment == "-") continue;
    ASSERT_GE(w.size(), 5u) << line;
    EXPECT_EQ(w[4], e.segment) << line;
    EXPECT_EQ(w[2], e.side) << line;
    EXPECT_NEAR(std::stod(w[3]), std::stod(e.position), 0.051) << line;
  }
}

TEST_F(GeocodeExample, TheStreetIndexIsKeptAndReused) {
  std::string index = dir_ + "/streets.idx";
  CliResult first = geocode({"--index", index}, "125 E MAIN ST\n");
  ASSERT_EQ(first.status, 0) << first.err;
  CliResult described = run_cli({"index", "describe", index, "--keys"});
  ASSERT_EQ(described.status, 0) << described.err;
  EXPECT_NE(described.out.find("signature    tovr geocode street index"), std::string::npos)
      << described.out;
  EXPECT_NE(described.out.find("city_segments.txt size"), std::string::npos) << described.out;
  EXPECT_NE(described.out.find("    MAIN\t12\n"), std::string::npos) << described.out;

  CliResult second = geocode({"--index", index}, "125 E MAIN ST\n");
  EXPECT_EQ(second.out, first.out);

  std::string other = dir_ + "/notes.txt";
  write_text(other, "not an index\n");
  CliResult refused = geocode({"--index", other}, "125 E MAIN ST\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("exists and is not a street index"), std::string::npos) << refused.err;
  EXPECT_EQ(read_text(other), "not an index\n");
}

TEST_F(GeocodeExample, ExplainShowsTheComparisonsOfTheBestSegment) {
  CliResult r = geocode({"--explain"}, "48 W 3RD STREET\n");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 9u) << r.out;
  EXPECT_NE(lines[1].find("S00043"), std::string::npos) << lines[1];
  EXPECT_NE(lines[7].find("D_INT"), std::string::npos) << lines[7];
  // The even number lies on the right: the left range, which holds only odd numbers, is
  // replaced by one that holds no house number.
  EXPECT_NE(lines[7].find("LFROM=0 LTO=0 RFROM=2 RTO=98"), std::string::npos) << lines[7];
  EXPECT_EQ(lines[8].rfind("    total", 0), 0u) << lines[8];
}

TEST_F(GeocodeExample, TheGeneratorWritesTheBundledReferenceFile) {
  if (std::system("python3 --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3 is not installed";
  }
  std::string out = dir_ + "/city.txt";
  std::string command = "python3 '" + geo_ + "/make_city.py' '" + out + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_text(out), read_text(geo_ + "/city_segments.txt"));
}

}  // namespace
}  // namespace tovr::test
