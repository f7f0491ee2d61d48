// The standardizer control block `Stan`: everything the standardizer file reader builds,
// what the pattern compiler adds to it, and what the engine reads and keeps per record.
//
// Ownership: the block owns every pointer in it except `mk` (the host's match key control
// block). Pointers that two processes share (a dictionary named by both: its match key name,
// key buffer and field names) are released once, by the first process that holds them.
// The block is created by TOVR_asStanComp and released by TOVR_asCloseStan, also when the
// compile failed half way: every pointer is null until its allocation succeeded.
#pragma once

#include <cstdint>

#include "frame/stream.h"
#include "include/tovr.h"
#include "stancomp/pattern_program.h"

namespace tovr {

struct Tokenizer;

inline constexpr char kStanTag[4] = {'S', 'T', 'A', 'N'};

inline constexpr int kMaxProcesses = kPatternProcesses;
inline constexpr int kProcessNameSize = 150;
inline constexpr int kListSize = 20;  // 19 characters and the terminator
inline constexpr char kDefaultSeparators[] = " ()-/,#&;:";
inline constexpr char kDefaultStrips[] = " ,.'`;:";
inline constexpr int kWorkBuffers = 4;
inline constexpr int kWorkBufferSize = 1124;
inline constexpr int kLineBufferSize = 255;  // a line of the file: 254 characters at most
inline constexpr int kMaxKeys = 3;
inline constexpr int kFileNameSize = 150;
inline constexpr int kAuxFileNameSize = 156;
inline constexpr int kFormatEntries = 10;  // index 0 unused
inline constexpr int kFormatLiteralSize = 40;
inline constexpr int kClassTableNameSize = 10;
inline constexpr int kFormattedFieldSize = 201;
inline constexpr int kMaxRecordSize = 1024;
inline constexpr int kAuxTextSize = 1024;
inline constexpr int kOutputBlanks = 1024;

// One piece of the input record that feeds a process. Pieces are column ranges of an input
// line, literals or a newline; `next` chains the pieces of one process.
struct FormatEntry {
  short first_line;  // 0 = not given
  short last_line;
  short start_column;                    // 1-based, column pieces only
  short offset;                          // 1-based position in the input area
  short area_offset;                     // the same position, kept for the engine to move
  short length;                          // piece length; after the input area is laid out, one more
  short area_length;                     // the length after the input area is laid out
  short declared_length;                 // column piece: length as written; literal and newline: 1
  short next;                            // index of the process's next entry; 0 = last
  char literal[kFormatLiteralSize + 1];  // the literal, or "\n"; empty for column pieces
};

// One auxiliary output item from MOVE.
enum class AuxKind : short { kLiteral, kNewline, kOriginalRecord, kField };

struct AuxEntry {
  char* text;     // kAuxTextSize bytes: the literal, "\n" or "ORIGINAL_RECORD"; empty for fields
  char field[3];  // match key field name of a kField item
  short process;  // process whose match key holds the field; -1 until resolved
  AuxKind kind;
};

struct Aux {
  short count;  // 0 or 1: the file holds at most one MOVE item
  AuxEntry entry;
};

// Counters and flags that only the engine uses, kept between records; all zero after the
// compile. TOVR_asCloseStan closes the input stream when the engine has opened one.
struct EngineState {
  int records_read;  // records read since the compile; compared with the test count
  Stream input;
};

struct Stan {
  char tag[4];  // "STAN", no terminator

  // Per process, indexed 0..2 in the order of the STANDARDIZE commands.
  char process_name[kMaxProcesses][kProcessNameSize];
  char* dictionary_file[kMaxProcesses];
  char* pattern_file[kMaxProcesses];
  char* class_file[kMaxProcesses];
  char separator_list[kMaxProcesses][kListSize];
  char strip_list[kMaxProcesses][kListSize];

  char* work_buffers[kWorkBuffers];  // kWorkBufferSize each; [0] is the output line
  char* current_line;                // kLineBufferSize: the line being read, as read
  char* line_copy;                   // kLineBufferSize: an unchanged copy of it

  // Match keys the engine emits, in order.
  char* key_dictionary_file[kMaxKeys];  // KEYORDER keys only
  char* key_name[kMaxKeys];
  short key_length[kMaxKeys];  // keys that belong to no process
  short key_count;

  short input_number[kMaxProcesses];
  char input_file_name[kFileNameSize];
  char output_file_name[kFileNameSize];
  char aux_output_file_name[kAuxFileNameSize];
  Stream output_file;
  Stream aux_output_file;

  char* processMatchKeyContents[kMaxProcesses];  // key record length + 1 bytes
  short key_record_length[kMaxProcesses];
  short first_format_entry[kMaxProcesses];  // 0 = no entries; -1 = no such process
  short process_order[kMaxProcesses];       // -1 = skip
  short process_count;
  short debug;
  short interactive;
  short format_entry_count;  // index of the last format entry
  short record_size;         // 0 = no RECORD command
  short output_record_length;
  short lines_per_record;
  short cleanup_input;
  int skip_count;
  int test_count;
  char class_table_name[kMaxProcesses][kClassTableNameSize];  // "ClsTbl0" ...
  char* processMatchKeyFields[kMaxProcesses];  // 2-character field names, concatenated
  char* processMatchKey[kMaxProcesses];        // layout name in the match key service
  FormatEntry format[kFormatEntries];

  // The compiled program of every process (patterns, actions, subroutines and calls, class
  // flags), the user file and user variable tables and the pattern error flag.
  StanPatterns patterns;

  char input_type;  // 'A', 'U' or 'B'
  char item_delimiter;
  char line_delimiter;
  char record_delimiter;

  Aux* aux;
  Sc* sc;                // instruction and fail-address arrays of the processes
  TOVR_Mk* mk;           // the host's match key control block; not owned
  Tokenizer* tokenizer;  // owned
  EngineState engine;

  short multi_line_items;
  short move_count;
  short line_number;
  short next_format_entry;
  short process_order_seen;
  char* FormattedField[kMaxProcesses];  // kFormattedFieldSize bytes

  // Set once the process's dictionary is loaded as a layout of its own; only such layouts
  // are removed again on close (a failed load must not remove a layout of the same name
  // that belongs to someone else).
  bool layout_loaded[kMaxProcesses];
};

inline Stan* as_stan(TOVR_Stan* handle) { return reinterpret_cast<Stan*>(handle); }
inline TOVR_Stan* as_handle(Stan* stan) { return reinterpret_cast<TOVR_Stan*>(stan); }

// The process-wide row of kOutputBlanks blanks (and a terminator) that output padding copies
// from; filled by every compile.
const char* output_blanks();
void fill_output_blanks();

}  // namespace tovr
