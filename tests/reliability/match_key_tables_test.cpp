// One match key control block serving dictionaries, a classification table and a conversion
// table at once, as a compiled standardizer uses it: faults in any load or lookup must leave
// the other tables of the shared registry, and the layouts already loaded, intact.
#include <gtest/gtest.h>

#include <string>

#include "fault_scenario.h"
#include "matchkey/match_key.h"
#include "matchkey/tables/table_registry.h"
#include "stanengine/tokenizer.h"
#include "tovr.h"

namespace tovr {
namespace {

using test::FileFaults;

constexpr const char* kAddressDictionary =
    "\\FORMAT\\ SORT=N\nHN N 6 Z\nPD C 2 S\nSN C 20 S\nST C 4 S\nZP MN 5 X\n";
constexpr const char* kNameDictionary = "FN C 12 S\nLN C 16 S\nAG NS 3 9\n";
constexpr const char* kStreetClasses =
    "AVENUE AVE T\nMARTHA MARTHA ? 800\nNORTH N D\nSOUTH S D\nSTREET ST T\nMAIN MAIN ?\n";
constexpr const char* kSuffixes = "\\FORMAT\\ SEP=, COMPARE=U\nSTREET,ST\nAVENUE,AV\nROAD,RD\n";

class StandardizerTables : public test::Scenario {
 public:
  std::vector<test::Step> steps() override {
    return {
        {"mkInit", [this] { return TOVR_mkInit(&mk_); }, {kMkNoMemory}},
        {"address dictionary",
         [this] { return mkDictLoad(mk_, "ADDR", "addr", "addr.dct"); },
         {kMkNoMemory, kMkDictionaryNotFound}},
        {"classification table",
         [this] { return tkLoadTable(mk_tables(mk_), "ClsTbl0", "street.cls", &row_); },
         {kTkNoMemory, kTkTableNotFound}},
        {"name dictionary",
         [this] { return mkDictLoad(mk_, "NAME", "name", "name.dct"); },
         {kMkNoMemory, kMkDictionaryNotFound}},
        {"tkInit", [this] { return tkInit(&tk_); }, {kTkInitFailed}},
        {"tokenize", [this] { return tokenize("123 north marhta street"); }, {kTkNoMemory}},
        // The conversion table is loaded on first use, under its table name.
        {"convert", [this] { return convert(); }, {kTblNoMemory, kTblCannotOpen}},
        {"near suffixes", [this] { return near_suffixes("STRET"); }, {kTblNoMemory}},
        {"place", [this] { return place(); }, {}},
    };
  }

  std::string outcome() override {
    char addr[48] = {};
    char name[48] = {};
    TOVR_mkCopy(mk_, "ADDR", addr);
    TOVR_mkCopy(mk_, "name", name);
    return tokens_ + "|" + suffix_ + "|" + near_ + "|" + addr + "|" + name;
  }

  void close() override {
    if (mk_ != nullptr) {
      TOVR_mkFree(mk_, "ADDR");
      TOVR_mkFree(mk_, "NAME");
    }
    tkClose(tk_);
    TOVR_mkClose(mk_);
  }

 private:
  int tokenize(const char* text) {
    Token* list = nullptr;
    const int rc = tkTokenize(tk_, mk_tables(mk_), 0, text, "ClsTbl0", kTkEngineModes,
                              " ()-/,#&;:", " ,.'`;:", kTkEnginePrefix, &list);
    if (rc != kTkOk) return rc;
    int count = 0;
    tkGetN(tk_, 0, &count);
    tokens_.clear();
    for (int i = 0; i < count; ++i) {
      tokens_ += std::string(list[i].TokenValue) + "/" + list[i].TokenClass + "/" +
                 list[i].TokenClose + " ";
      list_[i] = list[i];
    }
    count_ = count;
    return kTkOk;
  }

  int convert() {
    char value[kTblMaxCell + 1];
    const int rc = tblLookup(mk_tables(mk_), "suffix", 2, list_[count_ - 1].TokenValue, value,
                             sizeof value, 0);
    if (rc == kTblOk) suffix_ = value;
    return rc;
  }

  int near_suffixes(const char* key) {
    const int rc = tblProx(mk_tables(mk_), "suffix", key, 0, 0, 0);
    if (rc != kTblOk) return rc;
    char found[kTblMaxCell + 1];
    float score = 0;
    near_.clear();
    while (tblProxNext(mk_tables(mk_), "suffix", found, sizeof found, &score) == kTblOk) {
      near_ += std::string(found) + "=" + std::to_string(static_cast<int>(score)) + " ";
    }
    return kTblOk;
  }

  // Writes the tokens into the address key by class and a name into the name key, each
  // field found by name in its own layout.
  int place() {
    std::string number = list_[0].TokenValue;
    std::string direction = list_[1].TokenAbbrev;
    std::string street = list_[2].TokenClose;
    std::string zip = "12";
    std::string first = "john";
    std::string last = "smith";
    std::string age = "007";
    int rc = 0;
    rc |= TOVR_mkSet(mk_, "ADDR", "HN", number.data());
    rc |= TOVR_mkSet(mk_, "ADDR", "PD", direction.data());
    rc |= TOVR_mkSet(mk_, "ADDR", "SN", street.data());
    rc |= TOVR_mkSet(mk_, "ADDR", "ST", suffix_.data());
    rc |= TOVR_mkSet(mk_, "ADDR", "ZP", zip.data());
    rc |= TOVR_mkSet(mk_, "NAME", "FN", first.data());
    rc |= TOVR_mkSet(mk_, "NAME", "LN", last.data());
    rc |= TOVR_mkSet(mk_, "NAME", "AG", age.data());
    return rc;
  }

  TOVR_Mk* mk_ = nullptr;
  Tokenizer* tk_ = nullptr;
  int row_ = 0;
  Token list_[kTkMaxTokens] = {};
  int count_ = 0;
  std::string tokens_;
  std::string suffix_;
  std::string near_;
};

class MatchKeyTablesFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.put("addr.dct", kAddressDictionary);
    fs_.put("name.dct", kNameDictionary);
    fs_.put("street.cls", kStreetClasses);
    fs_.put("suffix.tbl", kSuffixes);
  }
  static std::unique_ptr<test::Scenario> make() { return std::make_unique<StandardizerTables>(); }
  test::MemFs fs_;
};

TEST_F(MatchKeyTablesFaults, CleanRunFillsBothKeys) {
  EXPECT_EQ(test::clean_outcome(make),
            "123/^/123 NORTH/D/NORTH MARHTA/?/MARTHA STREET/T/STREET |ST|STREET=850 |"
            "   123N MARTHA              ST    12 |  7john        smith           ");
}

TEST_F(MatchKeyTablesFaults, EveryFailedAllocationIsReportedAndRecovered) {
  const auto report = test::sweep_scenario_allocations(make, fs_);
  EXPECT_GT(report.runs, 10);
  for (const char* step : {"mkInit", "address dictionary", "classification table",
                           "name dictionary", "tkInit", "tokenize", "convert", "near suffixes"}) {
    EXPECT_EQ(report.failed_steps.count(step), 1u) << "no allocation fault reached " << step;
  }
}

TEST_F(MatchKeyTablesFaults, EveryFailedOpenReadAndSeekIsReportedAndRecovered) {
  for (auto op : {FileFaults::Op::kOpen, FileFaults::Op::kRead, FileFaults::Op::kSeek}) {
    const auto report = test::sweep_scenario_files(op, make, fs_);
    for (const char* step :
         {"address dictionary", "classification table", "name dictionary", "convert"}) {
      EXPECT_EQ(report.failed_steps.count(step), 1u) << "no file fault reached " << step;
    }
  }
}

}  // namespace
}  // namespace tovr
