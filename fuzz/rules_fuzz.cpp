// Rules files and a match: the input is a rules file, optionally followed by "%%% cand" with
// one candidate record a line, "%%% key" with lines "FF value" that fill match key fields,
// and "%%% len" with the candidate record length. Rules that load must score every candidate
// the same way twice, and the ranking must hand out every candidate once, best first.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "matchkey/match_key.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

constexpr const char* kDictionary =
    "\\FORMAT\\ SORT=N\n"
    "NM C 10 S\nST N 5 Z\nDT N 8 S\nHN N 5 S\nLO N 5 X\nHI N 5 X\nX1 N 4 S\nY1 N 4 S\n"
    "KD C 9 S\nTM N 4 9\nSN MN 6 N\nCT M 6 S\n";

constexpr const char* kKeyValues[][2] = {{"NM", "SMITH"}, {"ST", "100"}, {"DT", "19930412"},
                                         {"HN", "123"},   {"LO", "100"}, {"HI", "198"},
                                         {"X1", "12"},    {"Y1", "40"},  {"KD", "ABCDEFGHI"},
                                         {"TM", "1230"},  {"SN", "3RD"}, {"CT", "7"}};

constexpr const char* kCandidates[] = {
    "SMITH     00100199304120012300100001980012004000ABCDEFGHI12303RD   7     ",
    "SMYTH     00104199304130012500101001990013004100ABCXEFGHI12313RD   8     ",
    "          00000000000000000000000000000000000000         0000         0  ",
    "JONES     99999000000009999999999999999999999999ZZZZZZZZZ9999999999999999"};

std::vector<std::string> lines_of(const tovr::fuzz::Section* section) {
  std::vector<std::string> lines;
  if (section == nullptr) return lines;
  std::istringstream in(section->bytes);
  std::string line;
  while (std::getline(in, line) && lines.size() < 120) lines.push_back(line);
  return lines;
}

struct Scored {
  short weight;
  char side;
  float position;
};

// Scores the list and reads every candidate by number; checks the ranking against them.
std::vector<Scored> score(TOVR_Mt* mt, TOVR_Rules* rules, TOVR_List* list, int count,
                          short length) {
  TOVR_Case* match = nullptr;
  const int rc = TOVR_mtMatch(mt, rules, list, &match);
  std::vector<Scored> scores;
  std::string record(static_cast<std::size_t>(length) + 1, '\0');
  if (count == 0) {
    require(rc == 13, "an empty list gives 13");
  } else {
    require(rc == 0 && match != nullptr, "a match succeeds");
    for (int n = 1; n <= count; ++n) {
      Scored s{};
      require(TOVR_mtGetCand(mt, match, static_cast<short>(n), record.data(), &s.weight, &s.side,
                             &s.position) == 0,
              "every candidate reads");
      require(s.side == 'L' || s.side == 'R' || s.side == ' ', "side letter");
      scores.push_back(s);
    }
    std::vector<short> by_rank;
    for (int r = 2; r <= count; ++r) {
      Scored s{};
      require(TOVR_mtGetCand(mt, match, static_cast<short>(-r), record.data(), &s.weight, &s.side,
                             &s.position) == 0,
              "every rank reads");
      by_rank.push_back(s.weight);
    }
    Scored first{};
    if (count >= 1) {
      TOVR_mtGetCand(mt, match, -1, record.data(), &first.weight, &first.side, &first.position);
    }
    std::vector<short> weights;
    for (const Scored& s : scores) weights.push_back(s.weight);
    std::sort(weights.begin(), weights.end(), std::greater<short>());
    // Rank 1 is the best candidate; ranks 2 on follow the whole ordering.
    for (std::size_t i = 0; i < by_rank.size(); ++i) {
      require(by_rank[i] == weights[i + 1], "ranks run from the highest total down");
    }
    if (weights[0] > -9999) require(first.weight == weights[0], "the best has the top total");
    short w = 0;
    require(TOVR_mtGetCand(mt, match, static_cast<short>(-(count + 1)), record.data(), &w, nullptr,
                           nullptr) == 16,
            "a rank past the end gives 16");
  }
  if (match != nullptr) require(TOVR_mtEndMatch(mt, &match) == 0, "end the case");
  return scores;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  const auto sections = tovr::fuzz::split_sections(data, size, "rules");
  tovr::test::MemFs fs;
  fs.put("key.dct", kDictionary);
  fs.put("rules.txt", sections[0].bytes);

  TOVR_Mk* mk = nullptr;
  TOVR_Mt* mt = nullptr;
  require(TOVR_mkInit(&mk) == 0 && tovr::mkDictLoad(mk, "KEY", "key", "key.dct") == 0, "key");
  require(TOVR_mtInit(&mt, mk) == 0, "match control block");
  for (const auto& kv : kKeyValues) {
    std::string v = kv[1];
    TOVR_mkSet(mk, "KEY", kv[0], v.data());
  }
  for (const std::string& line : lines_of(tovr::fuzz::find_section(sections, "key"))) {
    if (line.size() < 3) continue;
    std::string v = tovr::fuzz::c_text(line.substr(3));
    TOVR_mkSet(mk, "KEY", line.substr(0, 2).c_str(), v.data());
  }

  TOVR_Rules* rules = nullptr;
  const int rc = TOVR_mtLoad(mt, "rules.txt", "KEY", "rules.lst", &rules);
  if (rc != 0) {
    require(rc == 3 && rules == nullptr, "a refused rules file gives 3 and no block");
    require(fs.open_streams() == 0, "a refused load closes its files");
  } else {
    require(rules != nullptr, "a loaded rules block");
    const auto* len = tovr::fuzz::find_section(sections, "len");
    const short length =
        static_cast<short>(len != nullptr ? 1 + std::abs(std::atoi(len->bytes.c_str())) % 300 : 74);
    std::vector<std::string> records = lines_of(tovr::fuzz::find_section(sections, "cand"));
    if (records.empty()) records.assign(std::begin(kCandidates), std::end(kCandidates));
    TOVR_List* list = nullptr;
    require(TOVR_mtNewList(mt, length, &list) == 0, "a list");
    for (std::string& r : records) {
      r.resize(static_cast<std::size_t>(length), ' ');
      require(TOVR_mtNewCand(mt, list, r.c_str()) == 0, "a candidate");
    }
    const int count = static_cast<int>(records.size());
    const auto first = score(mt, rules, list, count, length);
    const auto second = score(mt, rules, list, count, length);
    for (std::size_t i = 0; i < first.size(); ++i) {
      require(first[i].weight == second[i].weight && first[i].side == second[i].side &&
                  std::memcmp(&first[i].position, &second[i].position, sizeof(float)) == 0,
              "a second run scores the same");
    }
    require(TOVR_mtFreeCands(mt, &list) == 0, "free the list");
    require(TOVR_mtFreeRules(&rules) == 0 && rules == nullptr, "free the rules");
  }
  require(TOVR_mtClose(mt) == 0, "close the match control block");
  TOVR_mkFree(mk, "KEY");
  TOVR_mkClose(mk);
  require(fs.open_streams() == 0, "no stream left open");
  return 0;
}
