// PROCESSFILE, PROCESSORDER and KEYORDER: commands that name processes and match keys.
#include <cstring>

#include "frame/memory.h"
#include "frame/messages.h"
#include "stancomp/listing.h"
#include "stancomp/stan_reader.h"
#include "stancomp/stan_texts.h"

namespace tovr {
namespace {

// Replaces a heap name by base + extension, reusing its block.
bool rename(char*& slot, const char* base, const char* extension, bool upper) {
  auto* grown = static_cast<char*>(mem_realloc(slot, name_size(base, extension)));
  if (grown == nullptr) return false;
  write_name(grown, base, extension, upper);
  slot = grown;
  return true;
}

}  // namespace

// PROCESSFILE name base [dictionary-base]. A line without a base name has no process to
// give files to and is refused like an unknown name.
//
// The names keep their case, but the case of the extensions is read from the operands as
// the command line reads them, upper-cased: a base name with a letter always gets upper-case
// extensions (Std gives Std.CLS and Std.PAT).
Outcome StanReader::process_file(TokenArea& kept) {
  const int p = kept.count < 3 || kept.count > 4 ? -1 : find_process(stan_, kept.tokens[1]);
  if (p < 0) {
    list_error(stan_text::kProcessFileNotFound);
    return Outcome::kContinue;
  }
  const int dictionary_at = kept.count == 4 ? 3 : 2;
  const char* base = kept.tokens[2];
  const char* dictionary = kept.tokens[dictionary_at];
  const bool upper = extension_upper(upper_.tokens[2]);
  const bool dictionary_upper = extension_upper(upper_.tokens[dictionary_at]);
  if (!rename(stan_.class_file[p], base, ".cls", upper) ||
      !rename(stan_.pattern_file[p], base, ".pat", upper) ||
      !rename(stan_.dictionary_file[p], dictionary, ".dct", dictionary_upper)) {
    print_text(stan_text::kNoReallocName);
    return Outcome::kFail;
  }
  return Outcome::kContinue;
}

// PROCESSORDER names 1 to 3 processes; the slots it does not fill with a known process
// stay -1, so they are skipped.
Outcome StanReader::process_order(TokenArea& kept) {
  stan_.process_order_seen = 1;
  const int names = kept.count - 1;
  if (names < 1 || names > kMaxProcesses) {
    list_error(stan_text::kBadProcessOrder);
    return Outcome::kContinue;
  }
  for (int k = 0; k < kMaxProcesses; ++k) stan_.process_order[k] = -1;
  for (int k = 0; k < names; ++k) {
    const char* name = kept.tokens[k + 1];
    const int p = find_process(stan_, name);
    if (p < 0) {
      print_text(stan_text::kProcessOrderUnknown);
      console_message(stan_text::kIndentedName, name);
    }
    stan_.process_order[k] = static_cast<short>(p);
  }
  return Outcome::kContinue;
}

// KEYORDER names 1 to 3 match keys; a later KEYORDER replaces the names of an earlier one.
Outcome StanReader::key_order(TokenArea& kept) {
  key_order_seen_ = true;
  const int names = kept.count - 1;
  if (names > kMaxKeys) {
    list_error(stan_text::kTooManyKeys);
    return Outcome::kContinue;
  }
  for (int k = 0; k < kMaxKeys; ++k) {
    mem_free(stan_.key_name[k]);
    mem_free(stan_.key_dictionary_file[k]);
    stan_.key_name[k] = nullptr;
    stan_.key_dictionary_file[k] = nullptr;
  }
  stan_.key_count = 0;
  for (int k = 0; k < names; ++k) {
    const char* name = kept.tokens[k + 1];
    stan_.key_name[k] = heap_copy(name);
    if (stan_.key_name[k] != nullptr) {
      stan_.key_dictionary_file[k] = name_with_extension(name, ".dct");
    }
    if (stan_.key_dictionary_file[k] == nullptr) {
      list(stan_text::kNoMemoryName);
      return Outcome::kFail;
    }
    ++stan_.key_count;
  }
  return Outcome::kContinue;
}

}  // namespace tovr
