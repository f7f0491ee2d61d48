// Tokenizer: the input is a text, optionally followed by "%%% cls" and a classification table
// and by "%%% opts" with bytes that choose the mode letters and the character lists. Every
// token must be well formed, a second run over the same text must give the same tokens, and
// insertions must keep the list numbered.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "matchkey/tables/table_registry.h"
#include "stanengine/tokenizer.h"
#include "support/test_support.h"

namespace {

using tovr::Token;
using tovr::fuzz::require;

constexpr const char* kTable =
    "\\FORMAT\\ SORT=Y\n"
    "AVENUE AVE T\nBOULEVARD BLVD T\nMAIN MAIN S\nMARTHA MARTHA N 800\n"
    "NORTH N D 0\nPO PO B\nROAD RD T\nSAINT ST S 850\nSTREET ST T\nTHE THE E 900\n";

const char* const kModes[] = {"UNAMS", "", "u", "NAMSCO", "unams", "X", "A"};
const char* const kSeparators[] = {" ()-/,#&;:", " ", "", "-\n", "\t.,"};
const char* const kStrip[] = {" ,.'`;:", "", ".", " -", "\r\n"};

int pick(const std::string& opts, std::size_t i, int n, std::size_t fallback) {
  const std::size_t v = i < opts.size() ? static_cast<unsigned char>(opts[i]) : fallback;
  return static_cast<int>(v % static_cast<std::size_t>(n));
}

void check_list(const Token* list, int count) {
  require(count >= 0 && count <= tovr::kTkMaxTokens, "count within the list");
  for (int i = 0; i < count; ++i) {
    const Token& t = list[i];
    require(t.TokenNumber == i + 1, "tokens numbered from 1");
    require(std::memchr(t.TokenValue, '\0', sizeof t.TokenValue) != nullptr, "value ends");
    require(std::memchr(t.TokenAbbrev, '\0', sizeof t.TokenAbbrev) != nullptr, "abbrev ends");
    require(std::memchr(t.TokenClose, '\0', sizeof t.TokenClose) != nullptr, "close ends");
    require(t.TokenLen == static_cast<int>(std::strlen(t.TokenValue)), "length of the value");
    require(t.TokenLine >= 1 && t.TokenPosition >= 1, "line and position from 1");
    require(i == 0 || t.TokenLine >= list[i - 1].TokenLine, "lines never go back");
    require(t.TokenClass != '\0', "every token classified");
  }
}

bool same_token(const Token& a, const Token& b) {
  return a.TokenNumber == b.TokenNumber && a.TokenLine == b.TokenLine && a.TokenCol == b.TokenCol &&
         a.TokenLen == b.TokenLen && a.TokenPosition == b.TokenPosition &&
         std::strcmp(a.TokenValue, b.TokenValue) == 0 &&
         std::strcmp(a.TokenAbbrev, b.TokenAbbrev) == 0 && a.TokenClass == b.TokenClass &&
         std::memcmp(&a.TokenWeight, &b.TokenWeight, sizeof a.TokenWeight) == 0 &&
         std::strcmp(a.TokenClose, b.TokenClose) == 0;
}

bool is_separator_token(const Token& t) {
  return t.TokenLen == 1 && t.TokenClass == t.TokenValue[0] &&
         !(t.TokenClass >= 'A' && t.TokenClass <= 'Z');
}

void insert_some(tovr::Tokenizer* tk, int table, const Token& token) {
  int count = 0;
  require(tovr::tkGetN(tk, table, &count) == tovr::kTkOk, "count");
  const int positions[] = {0, 1, count + 1, -1, count / 2 + 1, -count, count + 3};
  for (int p : positions) {
    int before = 0;
    tovr::tkGetN(tk, table, &before);
    const int rc = tovr::tkInsertToken(tk, table, p, &token);
    int after = 0;
    tovr::tkGetN(tk, table, &after);
    if (rc == tovr::kTkOk) {
      require(after == before + (p >= 0 ? 1 : 0), "an insertion adds one token");
    } else {
      require(rc == tovr::kTkTooManyTokens || rc == tovr::kTkTokenNotFound, "insert status");
      require(after == before, "a refused insertion changes nothing");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  const auto sections = tovr::fuzz::split_sections(data, size, "text");
  const std::string text = tovr::fuzz::c_text(sections[0].bytes);
  const auto* cls = tovr::fuzz::find_section(sections, "cls");
  const auto* opts_section = tovr::fuzz::find_section(sections, "opts");
  const std::string opts = opts_section != nullptr ? opts_section->bytes : std::string();

  tovr::test::MemFs fs;
  fs.put("fixed.cls", kTable);
  if (cls != nullptr) fs.put("fuzz.cls", cls->bytes);

  tovr::TableRegistry* reg = nullptr;
  tovr::Tokenizer* tk = nullptr;
  require(tovr::tblInit(&reg) == tovr::kTblOk && tovr::tkInit(&tk) == tovr::kTkOk, "blocks");
  int row = -1;
  require(tovr::tkLoadTable(reg, "Fixed", "fixed.cls", &row) == tovr::kTkOk, "fixed table");
  const char* table_name = "Fixed";
  if (cls != nullptr) {
    const int rc = tovr::tkLoadTable(reg, "Fuzz", "fuzz.cls", &row);
    require(rc == tovr::kTkOk ? row == 0 : rc != tovr::kTkBadTableEntry || row >= 1,
            "row of a refused entry");
    if (rc == tovr::kTkOk) table_name = "Fuzz";
  }

  const char* modes = kModes[pick(opts, 0, 7, size)];
  const char* separators = kSeparators[pick(opts, 1, 5, size / 7)];
  const char* strip = kStrip[pick(opts, 2, 5, size / 35)];
  const int prefix = pick(opts, 3, 4, 1);
  Token* first = nullptr;
  const int rc = tovr::tkTokenize(tk, reg, 0, text.c_str(), table_name, modes, separators, strip,
                                  prefix, &first);
  int count = 0;
  tovr::tkGetN(tk, 0, &count);
  if (rc == tovr::kTkOk) {
    check_list(first, count);
    Token* second = nullptr;
    require(tovr::tkTokenize(tk, reg, 10, text.c_str(), table_name, modes, separators, strip,
                             prefix, &second) == tovr::kTkOk,
            "a second run succeeds");
    int count2 = 0;
    tovr::tkGetN(tk, 10, &count2);
    require(count2 == count, "a second run gives as many tokens");
    for (int i = 0; i < count; ++i) {
      require(same_token(first[i], second[i]), "a second run gives the same tokens");
      if (is_separator_token(second[i])) continue;
      Token again = second[i];
      require(tovr::tkClassify(reg, &again, table_name, modes, prefix) == tovr::kTkOk,
              "classify again");
      require(again.TokenClass == first[i].TokenClass, "classifying again keeps the class");
    }
    if (count > 0) insert_some(tk, 10, first[count - 1]);
    tovr::tkGetN(tk, 10, &count2);
    for (int i = 0; i < count2; ++i) require(second[i].TokenNumber > 0, "numbers stay positive");
  } else {
    require(rc == tovr::kTkBadMode || rc == tovr::kTkTooManyTokens || rc == tovr::kTkBadTableEntry,
            "tokenize status");
    if (rc != tovr::kTkBadTableEntry) require(count == 0, "a refused text leaves no tokens");
  }
  require(tovr::tkFreeToken(tk, 0) == tovr::kTkOk, "free a list");
  tovr::tkClose(tk);
  tovr::tblClose(reg);
  require(fs.open_streams() == 0, "no stream left open");
  return 0;
}
