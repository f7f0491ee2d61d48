// CONVERT, CONVERT_P and CONVERT_S: words replaced through a conversion table, found exactly
// or, failing that, through a near entry whose score reaches the row's least score (column 3;
// without one only a score above 899.9 counts).
//
// Choices:
// - A token operand of several tokens whose spaced text is a key of the table (exactly) is
//   converted as one: its first token takes the replacement and the others become empty
//   tokens of the NULL class. Otherwise each token is converted on its own.
// - An operand converted with TEMP keeps its tokens: only the texts that the pattern's later
//   actions read change.
// - CONVERT_P and CONVERT_S rebuild tokens and so take an operand of one token; an operand of
//   several tokens ends the run with 33. A field or user variable takes the replacement and
//   the rest of its text joined by a blank.
// - A prefix or suffix conversion that leaves no text at all makes the token an empty token
//   of the NULL class.
#include <cstdlib>
#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "matchkey/match_key.h"
#include "stancomp/as_codes.h"
#include "stanengine/actions.h"
#include "stanengine/engine_status.h"
#include "stanengine/operand_text.h"
#include "stanengine/run_steps.h"
#include "stanengine/tk_block.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

constexpr int kScratchList = 3;  // token list for re-tokenizing converted texts
constexpr int kReplacementColumn = 2;
constexpr float kNoThresholdFloor = 899.9f;
constexpr double kDefaultThreshold = 0.0;  // the table service's default least score
constexpr int kWholeMatch = 0;
constexpr int kPrefixMatch = 1;
constexpr int kSuffixMatch = 2;
constexpr int kConvertPrefixLength = 2;
constexpr int kAffixPrefixLength = 1;
constexpr int kTextRoom = kOperandTextSize;

struct Replacement {
  char text[kTblMaxCell + 1];
  int entry_length;  // length of the table entry that matched
};

bool row_accepts(const Table& table, int row, float score) {
  const char* least = table.cell(row, kReplacementColumn);
  if (least[0] == '\0') return score > kNoThresholdFloor;
  return score >= std::strtod(least, nullptr);
}

class Converter {
 public:
  Converter(RunState& r, const PatternAction& a)
      : r_(r), a_(a), registry_(mk_tables(r.stan->mk)), table_(a.toActionEntity.fileName) {}

  bool run() {
    if (table_ == nullptr || table_[0] == '\0') return true;
    // A table named by its file is loaded on its first use, under the file's name.
    if (a_.target_kind == kTargetConvertFile) tblLoad(registry_, table_, table_, 'I');
    switch (a_.source_kind) {
      case kSourceOperand:
        return operand();
      case kSourceField:
        return field();
      case kSourceVariable:
        return variable();
      default:
        return true;
    }
  }

 private:
  int match_type() const {
    if (a_.command == kActConvertP) return kPrefixMatch;
    if (a_.command == kActConvertS) return kSuffixMatch;
    return kWholeMatch;
  }

  bool exact(const char* text, Replacement& out) {
    if (tblLookup(registry_, table_, kReplacementColumn, text, out.text, sizeof out.text, 0) !=
        kTblOk) {
      return false;
    }
    out.entry_length = static_cast<int>(std::strlen(text));
    return true;
  }

  // compareConvertXXX: 1 when a row converts text, 0 when none does, -1 after the failure
  // of the proximity search.
  int find(const char* text, Replacement& out) {
    const int type = match_type();
    if (text[0] == '\0') return 0;
    if (type == kWholeMatch && exact(text, out)) return 1;
    if (std::strlen(text) > static_cast<std::size_t>(kTblMaxScoreKey)) return 0;
    const int prefix = type == kWholeMatch ? kConvertPrefixLength : kAffixPrefixLength;
    if (tblProx(registry_, table_, text, kDefaultThreshold, prefix, type) != kTblOk) {
      run_error(r_, as_status::kProx, as_code_text(as_status::kProx));
      return -1;
    }
    const Table* table = nullptr;
    if (tblFind(registry_, table_, &table) != kTblOk) return 0;
    char key[kTblMaxCell + 1];
    float score = 0.0f;
    int row = 0;
    while (tblProxNext(registry_, table_, key, sizeof key, &score, &row) == kTblOk) {
      if (!row_accepts(*table, row, score)) continue;
      copy_text(out.text, sizeof out.text, table->cell(row, kReplacementColumn - 1));
      out.entry_length = static_cast<int>(std::strlen(key));
      return 1;
    }
    return 0;
  }

  // The replacement of a prefix or suffix conversion and the rest of the text, in text order.
  void split(const char* text, const Replacement& rep, char* first, char* second) {
    const int length = static_cast<int>(std::strlen(text));
    const int rest_length = length > rep.entry_length ? length - rep.entry_length : 0;
    if (a_.command == kActConvertP) {
      copy_text(first, kTextRoom, rep.text);
      copy_text(second, kTextRoom, text + (length - rest_length));
    } else {
      std::memcpy(first, text, static_cast<std::size_t>(rest_length));
      first[rest_length] = '\0';
      copy_text(second, kTextRoom, rep.text);
    }
  }

  // Converts a text in place; false only on failure.
  bool convert_text(char* text, std::size_t size, bool* changed) {
    *changed = false;
    Replacement rep;
    const int found = find(text, rep);
    if (found <= 0) return found == 0;
    *changed = true;
    if (a_.command == kActConvert) {
      copy_text(text, size, rep.text);
      return true;
    }
    char first[kTextRoom];
    char second[kTextRoom];
    split(text, rep, first, second);
    const char* gap = first[0] != '\0' && second[0] != '\0' ? " " : "";
    char joined[2 * kTextRoom];
    std::strcpy(joined, first);
    std::strcat(joined, gap);
    std::strcat(joined, second);
    copy_text(text, size, joined);
    return true;
  }

  bool field() {
    char value[kFieldValueSize];
    if (!read_field(r_, r_.process, a_.source_field, value)) return false;
    bool changed = false;
    if (!convert_text(value, sizeof value, &changed)) return false;
    return !changed || write_field(r_, a_.source_field, value);
  }

  bool variable() {
    char* slot = user_variable(*r_.stan, a_.source_variable);
    if (slot == nullptr) return true;
    bool changed = false;
    return convert_text(slot, kUserVarValueSize, &changed);
  }

  bool operand() {
    const int k = a_.source_operand;
    if (k < 0 || k >= kMaxOperands) return true;
    if (a_.convert_mode == kConvertTemp) {
      char* text = r_.temp_text[k];
      operand_action_text(r_, k, TextKind::kJoined, text);
      bool changed = false;
      if (!convert_text(text, kOperandTextSize, &changed)) return false;
      r_.temp_set[k] = r_.temp_set[k] || changed;
      return true;
    }
    const Binding& b = r_.bind[k];
    const int selected = b.last - b.first + 1;
    if (b.count == 0 || selected <= 0) return true;
    if (a_.command != kActConvert) {
      if (selected > 1) {
        return run_error(r_, as_status::kMultiToken, as_code_text(as_status::kMultiToken));
      }
      return affix(k, b.token[b.first]);
    }
    if (selected > 1 && whole_operand(b)) return true;
    bool class_changed = false;
    for (int i = b.first; i <= b.last && i < b.count; ++i) {
      Token& t = r_.tokens[b.token[i]];
      Replacement rep;
      const int found = find(t.TokenValue, rep);
      if (found < 0) return false;
      if (found == 0) continue;
      set_value(t, rep.text);
      class_changed = class_changed || a_.convert_class != '\0';
    }
    if (class_changed) compute_class_sets(r_);
    return true;
  }

  void set_value(Token& t, const char* value) {
    copy_text(t.TokenValue, sizeof t.TokenValue, value);
    t.TokenLen = static_cast<int16_t>(std::strlen(t.TokenValue));
    if (a_.convert_class != '\0') t.TokenClass = a_.convert_class;
  }

  // The second form: the operand's tokens as one text, found exactly.
  bool whole_operand(const Binding& b) {
    char text[kTextRoom];
    std::size_t n = 0;
    for (int i = b.first; i <= b.last && i < b.count; ++i) {
      const char* value = r_.tokens[b.token[i]].TokenValue;
      if (n > 0) text[n++] = ' ';
      const std::size_t length = strnlen(value, kTokenValueSize - 1);
      std::memcpy(text + n, value, length);
      n += length;
    }
    text[n] = '\0';
    Replacement rep;
    if (std::strlen(text) > static_cast<std::size_t>(kTblMaxKey) || !exact(text, rep)) {
      return false;
    }
    set_value(r_.tokens[b.token[b.first]], rep.text);
    for (int i = b.first + 1; i <= b.last && i < b.count; ++i) {
      Token& t = r_.tokens[b.token[i]];
      t.TokenValue[0] = '\0';
      t.TokenLen = 0;
      t.TokenClass = kNullClass;
    }
    compute_class_sets(r_);
    return true;
  }

  bool tokenizer_failed(int status, int code) {
    char text[kTkMessageSize];
    tkMessage(code, text);
    return run_error(r_, status, text);
  }

  // Re-tokenizes the pieces of a converted token through the scratch list and puts the new
  // tokens in its place.
  bool affix(int k, int index) {
    Token& t = r_.tokens[index];
    Replacement rep;
    const int found = find(t.TokenValue, rep);
    if (found <= 0) return found == 0;
    char pieces[2][kTextRoom];
    split(t.TokenValue, rep, pieces[0], pieces[1]);
    Stan& s = *r_.stan;
    const int p = r_.process;
    int inserted = 0;
    for (const char* piece : pieces) {
      if (piece[0] == '\0') continue;
      Token* scratch = nullptr;
      int code = tkTokenize(s.tokenizer, registry_, kScratchList, piece, s.class_table_name[p],
                            kTkEngineModes, s.separator_list[p], s.strip_list[p], kTkEnginePrefix,
                            &scratch);
      if (code != kTkOk) return tokenizer_failed(as_status::kTokenize, code);
      int n = 0;
      tkGetN(s.tokenizer, kScratchList, &n);
      for (int j = 0; j < n; ++j) {
        const Token copy = scratch[j];
        const int position = inserted == 0 ? -(index + 1) : index + 1 + inserted;
        code = tkInsertToken(s.tokenizer, r_.list, position, &copy);
        if (code != kTkOk) return tokenizer_failed(as_status::kInsertToken, code);
        ++inserted;
      }
    }
    if (inserted == 0) {
      t.TokenValue[0] = '\0';
      t.TokenLen = 0;
      t.TokenClass = kNullClass;
    }
    follow_insertion(k, index, inserted);
    return true;
  }

  // The list grew by inserted - 1 tokens behind index: bindings follow, and the converted
  // operand binds the new tokens.
  void follow_insertion(int k, int index, int inserted) {
    int total = 0;
    tkGetN(r_.stan->tokenizer, r_.list, &total);
    r_.tokens = r_.stan->tokenizer->lists[r_.list];
    r_.count = total < kMaxRunTokens ? total : kMaxRunTokens;
    const int added = inserted > 1 ? inserted - 1 : 0;
    for (int o = 0; o < kMaxOperands; ++o) {
      Binding& b = r_.bind[o];
      Binding moved = b;
      moved.count = 0;
      for (int i = 0; i < b.count; ++i) {
        const int t = b.token[i];
        const int span = o == k && t == index ? (inserted > 0 ? inserted : 1) : 1;
        const int first = t > index ? t + added : t;
        for (int s = 0; s < span; ++s) {
          if (first + s < r_.count && moved.count < kMaxRunTokens) {
            moved.token[moved.count++] = static_cast<short>(first + s);
          }
        }
      }
      moved.first = 0;
      moved.last = static_cast<short>(moved.count - 1);
      if (o != k) {
        moved.first = b.first < moved.count ? b.first : 0;
        moved.last = b.last < moved.count ? b.last : static_cast<short>(moved.count - 1);
      }
      b = moved;
    }
    compute_class_sets(r_);
  }

  RunState& r_;
  const PatternAction& a_;
  TableRegistry* registry_;
  const char* table_;
};

}  // namespace

bool convert_action(RunState& r, const PatternAction& a) { return Converter(r, a).run(); }

}  // namespace tovr
