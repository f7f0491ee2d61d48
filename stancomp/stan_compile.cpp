#include "stancomp/stan_compile.h"

#include <climits>
#include <cstring>

#include "frame/line_reader.h"
#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/stream.h"
#include "frame/strings.h"
#include "stancomp/as_codes.h"
#include "stancomp/compile_steps.h"
#include "stancomp/input_area.h"
#include "stancomp/listing.h"
#include "stancomp/stan.h"
#include "stancomp/stan_reader.h"
#include "stancomp/stan_texts.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

constexpr int kScratchSize = 200;

// The two TokenAreas and the scratch buffer live for the compile only.
class WorkAreas {
 public:
  WorkAreas()
      : upper_(static_cast<TokenArea*>(mem_alloc(sizeof(TokenArea)))),
        kept_(static_cast<TokenArea*>(mem_alloc(sizeof(TokenArea)))),
        scratch_(static_cast<char*>(mem_alloc(kScratchSize))) {}
  ~WorkAreas() {
    mem_free(upper_);
    mem_free(kept_);
    mem_free(scratch_);
  }
  WorkAreas(const WorkAreas&) = delete;
  WorkAreas& operator=(const WorkAreas&) = delete;

  bool ok() const { return upper_ != nullptr && kept_ != nullptr && scratch_ != nullptr; }
  TokenArea& upper() { return *upper_; }
  TokenArea& kept() { return *kept_; }

 private:
  TokenArea* upper_;
  TokenArea* kept_;
  char* scratch_;
};

void set_defaults(Stan& stan, TOVR_Mk* mk) {
  std::memcpy(stan.tag, kStanTag, sizeof stan.tag);
  stan.next_format_entry = 1;
  stan.lines_per_record = 1;
  stan.input_type = 'U';
  stan.mk = mk;
  for (int p = 0; p < kMaxProcesses; ++p) {
    stan.process_order[p] = static_cast<short>(p);
    stan.first_format_entry[p] = -1;
    copy_text(stan.separator_list[p], kListSize, kDefaultSeparators);
    copy_text(stan.strip_list[p], kListSize, kDefaultStrips);
  }
}

// Aux, Sc, the tokenizer block and the work and line buffers of a new block.
bool allocate_parts(Stan& stan) {
  stan.aux = static_cast<Aux*>(mem_alloc_zeroed(1, sizeof(Aux)));
  if (stan.aux == nullptr) {
    print_text(stan_text::kNoMemoryAux);
    return false;
  }
  stan.aux->entry.process = -1;
  stan.sc = static_cast<Sc*>(mem_alloc_zeroed(1, sizeof(Sc)));
  if (stan.sc == nullptr) {
    print_text(stan_text::kNoMemorySc);
    return false;
  }
  if (tkInit(&stan.tokenizer) != kTkOk) {
    print_text(stan_text::kTkInitError);
    return false;
  }
  for (char*& buffer : stan.work_buffers) {
    buffer = static_cast<char*>(mem_alloc_zeroed(1, kWorkBufferSize));
    if (buffer == nullptr) {
      print_text(stan_text::kNoMemoryBuffers);
      return false;
    }
  }
  stan.current_line = static_cast<char*>(mem_alloc_zeroed(1, kLineBufferSize));
  if (stan.current_line != nullptr) {
    stan.line_copy = static_cast<char*>(mem_alloc_zeroed(1, kLineBufferSize));
  }
  if (stan.line_copy == nullptr) {
    print_text(stan_text::kNoMemoryBuffers);
    return false;
  }
  return true;
}

// Reads the file line by line until its end or until a line stops the reading. The error
// state of the reading is left in *error. A file that cannot be read to its end is reported
// as one that cannot be opened: its lines read so far would compile another standardizer.
bool read_file(Stan& stan, WorkAreas& areas, const char* file_name, short* error) {
  Stream file = file_name != nullptr ? stream_open(file_name, "r") : nullptr;
  if (file == nullptr) {
    print_text(stan_text::kFileNotFound);
    return false;
  }
  StreamCloser closer(file);
  StanReader reader(stan, areas.upper(), areas.kept());
  for (;;) {
    const ReadResult got = read_line(file, stan.current_line, kLineBufferSize);
    if (got == ReadResult::kEnd) break;
    if (got == ReadResult::kError) {
      print_text(stan_text::kFileNotFound);
      return false;
    }
    std::memcpy(stan.line_copy, stan.current_line, kLineBufferSize);
    if (stan.line_number < SHRT_MAX) ++stan.line_number;
    if (reader.run_line() == Outcome::kFail) return false;
    if (reader.error() == 2) break;
  }
  *error = reader.error();
  return true;
}

bool check_settings(const Stan& stan) {
  if (stan.record_size > kMaxRecordSize) {
    print_text(stan_text::kRecordTooLarge);
    return false;
  }
  if (stan.line_delimiter != 0 && stan.record_delimiter != 0) {
    print_text(stan_text::kLineAndRecordDelimiter);
    return false;
  }
  return true;
}

bool allocate_formatted_fields(Stan& stan) {
  for (int p = 0; p < stan.process_count; ++p) {
    stan.FormattedField[p] = static_cast<char*>(mem_alloc_zeroed(1, kFormattedFieldSize));
    if (stan.FormattedField[p] == nullptr) {
      print_text(stan_text::kNoMemoryFormatted);
      return false;
    }
  }
  return true;
}

// Items that run over several input lines: an item delimiter on records of several lines
// whose first piece names no line, and no line delimiter to split them.
void set_multi_line_items(Stan& stan) {
  stan.multi_line_items = stan.item_delimiter != 0 && stan.lines_per_record > 1 &&
                          stan.format[1].first_line == 0 && stan.line_delimiter == 0;
}

// An output file that does not open fails the compile (unless the host feeds records
// interactively and reads the results from the call); an auxiliary file that does not open
// always does.
bool open_output_files(Stan& stan) {
  if (stan.output_file_name[0] != '\0') {
    stan.output_file = stream_open(stan.output_file_name, "w");
    if (stan.output_file == nullptr && !stan.interactive) {
      console_message(stan_text::kCodeText, as_code_text(kAsOutputFile));
      return false;
    }
  }
  if (stan.aux_output_file_name[0] != '\0') {
    stan.aux_output_file = stream_open(stan.aux_output_file_name, "w");
    if (stan.aux_output_file == nullptr) {
      console_message(stan_text::kCodeText, as_code_text(kAsAuxOutputFile));
      return false;
    }
  }
  return true;
}

bool compile(Stan& stan, WorkAreas& areas, const char* file_name, short* total_key_length,
             const CompileOptions& options) {
  if (!allocate_parts(stan)) return false;
  short error = 0;
  if (!read_file(stan, areas, file_name, &error)) return false;
  merge_format_entries(stan);
  if (!check_settings(stan)) return false;
  lay_out_input_area(stan);
  if (stan.record_size == 0) {
    list_line(stan, stan_text::kRecordMissing);
    error = 1;
  }
  if (error != 0) {
    list_line(stan, stan_text::kTerminated);
    return false;
  }
  if (!load_class_tables(stan) || !set_default_key_names(stan) ||
      !load_dictionaries(stan, total_key_length) || !resolve_move_fields(stan) ||
      !allocate_formatted_fields(stan)) {
    return false;
  }
  if (options.compile_patterns && !compile_patterns(stan)) return false;
  set_multi_line_items(stan);
  return true;
}

}  // namespace

short compile_stan(const char* file_name, TOVR_Stan** handle, TOVR_Mk* mk, short* total_key_length,
                   const CompileOptions& options) {
  if (handle == nullptr) {
    print_text(stan_text::kNoHandle);
    return 1;
  }
  *handle = nullptr;
  if (mk == nullptr) {
    console_message(stan_text::kCodeText, as_code_text(kAsInvalidHandle));
    return 1;
  }
  bool compiled = false;
  {
    WorkAreas areas;
    if (!areas.ok()) {
      print_text(stan_text::kNoMemoryWorkAreas);
      return 1;
    }
    fill_output_blanks();
    auto* stan = static_cast<Stan*>(mem_alloc_zeroed(1, sizeof(Stan)));
    if (stan == nullptr) {
      print_text(stan_text::kNoMemoryStan);
      return 1;
    }
    set_defaults(*stan, mk);
    *handle = as_handle(stan);
    compiled = compile(*stan, areas, file_name, total_key_length, options);
  }
  if (!compiled || !open_output_files(*as_stan(*handle))) return 1;
  return 0;
}

}  // namespace tovr
