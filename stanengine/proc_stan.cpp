// The record loop.
//
// Process order entries that name no defined process are passed over, like the -1 entries:
// the default order names all three process slots whatever the number of processes.
#include "stanengine/proc_stan.h"

#include <cstring>

#include "frame/callbacks.h"
#include "frame/messages.h"
#include "frame/stream.h"
#include "matchkey/match_key.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/input_layout.h"
#include "stanengine/pattern_run.h"
#include "stanengine/record_input.h"
#include "stanengine/record_output.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

constexpr int kScratchList = 3;
constexpr int kFormattedMax = kFormattedFieldSize - 1;

bool is_defined(const Stan& stan, int p) { return p >= 0 && p < stan.process_count; }

bool ready(const Stan& stan) {
  if (stan.tokenizer == nullptr || stan.sc == nullptr || stan.mk == nullptr) return false;
  for (const char* buffer : stan.work_buffers) {
    if (buffer == nullptr) return false;
  }
  for (int p = 0; p < stan.process_count && p < kMaxProcesses; ++p) {
    if (stan.processMatchKey[p] == nullptr || stan.processMatchKeyContents[p] == nullptr ||
        stan.FormattedField[p] == nullptr) {
      return false;
    }
  }
  return true;
}

// Without an input file (no INFILE, not interactive) the reading callbacks get a null stream
// and the host serves the input through them. The library's own reading functions are the
// standard stream functions, which cannot take a null stream: when any slot that this input's
// reading uses (the read itself, and the end-of-file test that tells the end of the input
// from a failed read) still holds the library's own function, no host serves the input, and
// the call answers as for an input file that cannot be opened, without reading.
bool input_unserved(const Stan& stan) {
  if (stan.interactive || stan.engine.input != nullptr || stan.input_file_name[0] != '\0') {
    return false;
  }
  const bool binary = stan.input_type == 'B';
  bool unserved = callback_is_default(TOVRCB_Feof);
  if (!binary || stan.line_delimiter != '\0') unserved |= callback_is_default(TOVRCB_Fgets);
  if (binary && stan.record_delimiter != '\0') unserved |= callback_is_default(TOVRCB_Fgetc);
  if (binary && stan.record_delimiter == '\0') unserved |= callback_is_default(TOVRCB_Fread);
  return unserved;
}

void close_input(Stan& stan) {
  if (stan.engine.input == nullptr || stan.input_file_name[0] == '\0') return;
  stream_close(stan.engine.input);
  stan.engine.input = nullptr;
}

int clear_keys(Stan& stan) {
  for (short p : stan.process_order) {
    if (!is_defined(stan, p)) continue;
    if (stan.first_format_entry[p] == -1) return as_status::kNoFormat;
    const int status = TOVR_mkClear(stan.mk, stan.processMatchKey[p]);
    if (status != 0) {
      print_mk_message(status);
      return as_status::kMkClear;
    }
    std::memset(stan.processMatchKeyContents[p], 0,
                static_cast<std::size_t>(stan.key_record_length[p]) + 1);
  }
  return as_status::kOk;
}

// The process's text: from its first entry's offset, the area lengths of its chain (the rest
// of the area when that is shorter or the chain's length is 0); the whole area when it has no
// entries.
void cut_text(Stan& stan, int p, const char* area, char* text) {
  const int area_length = static_cast<int>(std::strlen(area));
  int start = 0;
  int length = area_length;
  const short first = stan.first_format_entry[p];
  if (first > 0 && first < kFormatEntries) {
    int sum = 0;
    for (short i = first; i > 0 && i < kFormatEntries; i = stan.format[i].next) {
      sum += stan.format[i].area_length;
      if (stan.format[i].next <= i) break;
    }
    start = stan.format[first].offset - 1;
    if (start < 0) start = 0;
    if (start > area_length) start = area_length;
    const int rest = area_length - start;
    length = sum == 0 || rest < sum ? rest : sum;
  }
  std::memcpy(text, area + start, static_cast<std::size_t>(length));
  text[length] = '\0';
  char* formatted = stan.FormattedField[p];
  if (length < kFormattedMax) {
    std::memcpy(formatted, text, static_cast<std::size_t>(length) + 1);
  } else {
    formatted[0] = '\0';
  }
}

int run_processes(Stan& stan, const char* area) {
  char text[kInputAreaMax + 1];
  for (int i = 0; i < kMaxProcesses; ++i) {
    const int p = stan.process_order[i];
    if (!is_defined(stan, p)) continue;
    bool tokenized = false;
    for (int j = 0; j < i; ++j) {
      const int q = stan.process_order[j];
      if (is_defined(stan, q) && stan.input_number[q] == stan.input_number[p]) tokenized = true;
    }
    UserVariableTable& vars = stan.patterns.user_vars;
    for (char* value : vars.values) value[0] = '\0';
    cut_text(stan, p, area, text);
    const int status = run_process(stan, p, text, tokenized);
    if (status != as_status::kOk) return status;
    write_output_line(stan, stan.processMatchKeyContents[p], stan.key_record_length[p], area);
    file_message(stan.aux_output_file, "%s", "");
  }
  return as_status::kOk;
}

void warm_table(TableRegistry* registry, const char* table) {
  if (table != nullptr && table[0] != '\0') tblProx(registry, table, "A", 0.0, 0, 0);
}

bool uses_affix_conversion(const ProcessProgram& program) {
  if (program.patternActions == nullptr) return false;
  for (int s = 0; s < program.slot_count; ++s) {
    for (const PatternAction* a = program.patternActions[s]; a != nullptr; a = a->next) {
      if (a->command == kActConvertP || a->command == kActConvertS) return true;
    }
  }
  return false;
}

void warm_conversion_tables(TableRegistry* registry, const ProcessProgram& program) {
  if (program.patternActions == nullptr) return;
  for (int s = 0; s < program.slot_count; ++s) {
    for (const PatternAction* a = program.patternActions[s]; a != nullptr; a = a->next) {
      const char* table = a->toActionEntity.fileName;
      if (table == nullptr || table[0] == '\0') continue;
      if (a->command != kActConvert && a->command != kActConvertP && a->command != kActConvertS) {
        continue;
      }
      if (a->target_kind == kTargetConvertFile) tblLoad(registry, table, table, 'I');
      warm_table(registry, table);
    }
  }
}

}  // namespace

void prepare_engine(Stan& stan) {
  if (stan.work_buffers[kWorkBuffers - 1] == nullptr) return;
  build_input_layout(stan, input_layout(stan));
  if (!ready(stan)) return;
  TableRegistry* registry = mk_tables(stan.mk);
  for (int p = 0; p < stan.process_count && p < kMaxProcesses; ++p) {
    const ProcessProgram& program = stan.patterns.process[p];
    warm_table(registry, stan.class_table_name[p]);
    warm_conversion_tables(registry, program);
    if (uses_affix_conversion(program)) {
      Token* list = nullptr;
      tkTokenize(stan.tokenizer, registry, kScratchList, "", stan.class_table_name[p],
                 kTkEngineModes, stan.separator_list[p], stan.strip_list[p], kTkEnginePrefix,
                 &list);
    }
  }
}

int proc_stan(Stan& stan, char* area, char* keys, char* aux, short* first_call, char* original) {
  if (!ready(stan)) return as_status::kInvalidHandle;
  const bool first = first_call != nullptr && *first_call != 0;
  if (first) prepare_engine(stan);
  if (input_unserved(stan)) return as_status::kOpenInput;
  const int read = get_input(stan, area, original);
  if (read == as_status::kOpenInput) return read;
  if (first) {
    if (read != as_status::kOk && area[0] == '\0') {
      console_message(engine_text::kInputEmpty);
      close_input(stan);
      return as_status::kEndOfInput;
    }
    *first_call = 0;
  }
  if (read == as_status::kTooLong || read == as_status::kItemCount ||
      read == as_status::kNotImplemented) {
    return read;
  }
  if (area[0] == '\0') {
    if (read == as_status::kTestReached) console_message(engine_text::kTestReached);
    close_input(stan);
    return as_status::kEndOfInput;
  }
  int status = clear_keys(stan);
  if (status == as_status::kOk) status = run_processes(stan, area);
  if (status != as_status::kOk) return status;
  if (keys != nullptr) build_output_keys(stan, keys);
  return aux != nullptr ? build_aux_text(stan, aux, original) : as_status::kOk;
}

}  // namespace tovr
