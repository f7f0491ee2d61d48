// Classification tables of the processes, loaded through the tokenizer.
#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "matchkey/match_key.h"
#include "stancomp/compile_steps.h"
#include "stancomp/stan_texts.h"
#include "stanengine/tokenizer.h"

namespace tovr {

bool load_class_tables(Stan& stan) {
  for (int p = 0; p < stan.process_count; ++p) {
    char* name = stan.class_table_name[p];
    copy_text(name, kClassTableNameSize, stan_text::kClassTablePrefix);
    const std::size_t n = std::strlen(name);
    name[n] = static_cast<char>('0' + p);
    name[n + 1] = '\0';
    int row = 0;
    const int code =
        tkLoadTable(mk_tables(stan.mk), stan.class_table_name[p], stan.class_file[p], &row);
    if (code != kTkOk) {
      char text[kTkMessageSize];
      tkMessage(code, text);
      console_message(stan_text::kWithFileName, text, stan.class_file[p]);
      return false;
    }
  }
  return true;
}

}  // namespace tovr
