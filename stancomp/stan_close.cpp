#include "stancomp/stan_close.h"

#include "frame/memory.h"
#include "frame/messages.h"
#include "matchkey/match_key.h"
#include "stancomp/as_codes.h"
#include "stancomp/stan_texts.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

void close_stream(Stream& stream) {
  if (stream != nullptr) stream_close(stream);
  stream = nullptr;
}

int release_tokenizer(Stan& stan) {
  if (stan.tokenizer == nullptr) return kAsOk;
  int result = kAsOk;
  for (int table = 0; table < kTkLists; ++table) {
    const int code = tkFreeToken(stan.tokenizer, table);
    if (code != kTkOk) {
      char text[kTkMessageSize];
      tkMessage(code, text);
      console_message(stan_text::kCodeText, text);
      result = kAsFreeToken;
    }
  }
  tkClose(stan.tokenizer);
  stan.tokenizer = nullptr;
  return result;
}

void release_keys(Stan& stan) {
  for (int k = 0; k < kMaxKeys; ++k) {
    mem_free(stan.key_name[k]);
    mem_free(stan.key_dictionary_file[k]);
    stan.key_name[k] = nullptr;
    stan.key_dictionary_file[k] = nullptr;
  }
}

// Releases the pointer of process p and forgets it in the later processes that share it.
void release_shared(char** pointers, int p) {
  for (int q = p + 1; q < kMaxProcesses; ++q) {
    if (pointers[q] == pointers[p]) pointers[q] = nullptr;
  }
  mem_free(pointers[p]);
  pointers[p] = nullptr;
}

// Only a layout this block loaded is removed; the removal of a shared one is skipped, since
// its first holder removes it.
int remove_layout(Stan& stan, int p) {
  if (!stan.layout_loaded[p]) return kAsOk;
  stan.layout_loaded[p] = false;
  const int status = TOVR_mkFree(stan.mk, stan.processMatchKey[p]);
  if (status == kMkOk || status == kMkNameInvalid) return kAsOk;
  console_message(stan_text::kCodeText, mk_code_text(status));
  return kAsMkFree;
}

int release_process(Stan& stan, int p) {
  const int result = remove_layout(stan, p);
  mem_free(stan.FormattedField[p]);
  stan.FormattedField[p] = nullptr;
  char** shared[] = {stan.processMatchKeyContents, stan.processMatchKey,
                     stan.processMatchKeyFields};
  for (char** pointers : shared) release_shared(pointers, p);
  char** names[] = {stan.dictionary_file, stan.pattern_file, stan.class_file};
  for (char** name : names) {
    mem_free(name[p]);
    name[p] = nullptr;
  }
  return result;
}

}  // namespace

int close_stan(Stan* stan) {
  close_stream(stan->output_file);
  close_stream(stan->aux_output_file);
  close_stream(stan->engine.input);
  int result = release_tokenizer(*stan);
  release_keys(*stan);
  release_pattern_programs(stan->patterns, stan->sc);
  for (int p = 0; p < kMaxProcesses; ++p) {
    const int code = release_process(*stan, p);
    if (result == kAsOk) result = code;
  }
  if (stan->aux != nullptr) mem_free(stan->aux->entry.text);
  for (char* buffer : stan->work_buffers) mem_free(buffer);
  mem_free(stan->current_line);
  mem_free(stan->line_copy);
  mem_free(stan->sc);
  mem_free(stan->aux);
  mem_free(stan);
  return result;
}

}  // namespace tovr
