// tovr index: create, load, query and describe index files.
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "commands.h"
#include "delimited.h"
#include "index_file.h"
#include "index_session.h"
#include "progress.h"
#include "text.h"
#include "usage.h"

namespace tovr::cli {
namespace {

// Keys the index files: longer keys do not fit the key field of an index handle.
constexpr size_t kMaxKeyLength = 83;
// Pairs held by the insert cache while loading: sorted, they are filed key by key.
constexpr int kLoadCache = 8192;

const std::vector<OptionSpec> kIndexOptions = {
    {"seq", true},         {"name", true},      {"coding", true},    {"width", true},
    {"pages", true},       {"extend", true},    {"buffers", true},   {"signature", true},
    {"description", true}, {"column", true},    {"delimiter", true}, {"header", false},
    {"upper", false},      {"threshold", true}, {"index", true},     {"data", true},
    {"expansions", false}, {"count", false},    {"keys", false},     {"quiet", false}};

// Reads the options every subcommand shares into settings; a usage error sets *error.
bool read_settings(const Args& args, IndexSettings* s, std::string* error) {
  long value = 0;
  if (!args.integer("seq", 0, 248, 0, &value, error)) return false;
  s->sequence = static_cast<int>(value);
  s->name = args.value("name", "KEYS");
  if (!IndexSession::valid_name(s->name)) {
    *error = "an index name has 1 to 8 characters, no blanks, '=', '\\' or quotes";
    return false;
  }
  std::string coding = args.value("coding", "sound");
  if (coding != "sound" && coding != "hash") {
    *error = "--coding is sound or hash";
    return false;
  }
  s->coding = coding == "sound" ? 'S' : 'R';
  std::string width = args.value("width", "16");
  if (width != "16" && width != "32") {
    *error = "--width is 16 or 32";
    return false;
  }
  if (coding == "sound" && width == "32") {
    *error = "sound codes are 16 bits wide; use --coding hash for 32-bit codes";
    return false;
  }
  s->width = width == "16" ? 'S' : 'L';
  if (!args.integer("pages", 10, 32767, 16, &value, error)) return false;
  s->pages = static_cast<int>(value);
  if (!args.integer("extend", 10, 32767, 16, &value, error)) return false;
  s->extension = static_cast<int>(value);
  if (!args.integer("buffers", 5, 32767, 64, &value, error)) return false;
  s->buffers = static_cast<int>(value);
  s->signature = args.value("signature");
  if (s->signature.size() > 255) {
    *error = "a signature holds at most 255 characters";
    return false;
  }
  for (const std::string& spec : args.values("index")) {
    size_t eq = spec.find('=');
    long seq = 0;
    if (eq == std::string::npos || !parse_long(spec.substr(eq + 1), &seq) || seq < 0 || seq > 248 ||
        !IndexSession::valid_name(spec.substr(0, eq))) {
      *error = "--index takes NAME=SEQ, a name of 1 to 8 characters and a sequence 0 to 248";
      return false;
    }
    s->others.emplace_back(spec.substr(0, eq), static_cast<int>(seq));
  }
  // Each sequence is opened once, under one name.
  for (size_t i = 0; i < s->others.size(); ++i) {
    bool repeated = s->others[i].second == s->sequence;
    for (size_t j = 0; j < i; ++j) {
      repeated = repeated || s->others[j].second == s->others[i].second ||
                 iequals(s->others[j].first, s->others[i].first);
    }
    if (repeated || iequals(s->others[i].first, s->name)) {
      *error = "--index opens sequence " + std::to_string(s->others[i].second) + " as " +
               s->others[i].first + ", but that sequence or name is open already";
      return false;
    }
  }
  return true;
}

// Checks that the file is an index holding the sequences to be read, so that a read never
// creates a file or a sequence by accident.
bool check_existing(const IndexSettings& s, std::string* error) {
  IndexFileInfo info;
  if (!read_index_file(s.file, &info, error)) return false;
  std::vector<int> wanted{s.sequence};
  for (const auto& other : s.others) wanted.push_back(other.second);
  for (int seq : wanted) {
    bool found = false;
    for (const SequenceInfo& present : info.sequences) found = found || present.number == seq;
    if (!found) {
      *error = s.file + ": the file holds no sequence " + std::to_string(seq);
      return false;
    }
  }
  return true;
}

bool set_description(const Args& args, const std::string& file, std::string* error) {
  if (!args.has("description")) return true;
  std::string text = args.value("description");
  if (TOVR_dbSetMetadata(file.c_str(), text.c_str()) != 0) {
    *error = file + ": cannot write the description";
    return false;
  }
  return true;
}

int create(const Args& args, const IndexSettings& s) {
  std::string error;
  IndexSession session;
  int status = 0;
  if (!session.open(s, &status, &error)) {
    report_error(error);
    return kExitFailure;
  }
  bool closed = session.close();
  if (status == 0) {
    report_error(s.file + ": sequence " + std::to_string(s.sequence) + " exists already");
    return kExitFailure;
  }
  if (!closed || !set_description(args, s.file, &error)) {
    report_error(closed ? error : s.file + ": the index could not be written");
    return kExitFailure;
  }
  std::printf("%s: %s, sequence %d\n", s.file.c_str(),
              status == 1 ? "index file created" : "index sequence created", s.sequence);
  return kExitOk;
}

struct Row {
  long number;
  long line;
  std::string key;
};

// Reads the key column of every data row. Rows are numbered from 1 after the header;
// empty keys and keys too long for the index are reported and left out.
bool read_rows(const std::string& path, char delimiter, bool header, long column, bool upper,
               std::vector<Row>* rows, long* row_count, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open";
    return false;
  }
  std::string line;
  long line_number = 0;
  long number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (header && line_number == 1) continue;
    ++number;
    std::vector<std::string> fields = split_delimited(line, delimiter);
    std::string key = static_cast<size_t>(column) <= fields.size() ? trim(fields[column - 1]) : "";
    if (upper) key = to_upper(key);
    if (key.empty()) continue;
    if (key.size() > kMaxKeyLength) {
      report_error(path + ":" + std::to_string(line_number) + ": key longer than " +
                   std::to_string(kMaxKeyLength) + " characters, row left out");
      continue;
    }
    rows->push_back({number, line_number, key});
  }
  *row_count = number;
  return true;
}

int load(const Args& args, const IndexSettings& s, const std::string& data) {
  std::string error;
  long column = 0;
  char delimiter = '\t';
  if (!args.has("column")) return usage_error("index", "load needs --column");
  if (!args.integer("column", 1, 50000, 1, &column, &error)) return usage_error("index", error);
  if (!parse_delimiter(args.value("delimiter", "tab"), &delimiter)) {
    return usage_error("index", "--delimiter is one character, or tab, comma, space");
  }
  std::vector<Row> rows;
  long row_count = 0;
  if (!read_rows(data, delimiter, args.has("header"), column, args.has("upper"), &rows, &row_count,
                 &error)) {
    report_error(error);
    return kExitFailure;
  }
  IndexSession session;
  int status = 0;
  if (!session.open(s, &status, &error)) {
    report_error(error);
    return kExitFailure;
  }
  TOVR_Db* h = session.handle();
  TOVR_dbSetNumRecords(h, static_cast<int>(row_count));
  TOVR_dbSetInsertCacheSize(h, kLoadCache);
  Progress progress("rows", !args.has("quiet"));
  int failure = 0;
  long failed_line = 0;
  for (const Row& row : rows) {
    progress.step();
    int rc = TOVR_dbInsert(h, row.key.c_str(), static_cast<int>(row.number), 0);
    // 12: the key holds that record number already, which loading again may well meet.
    if (rc != 0 && rc != 12) {
      failure = rc;
      failed_line = row.line;
      break;
    }
  }
  int flushed = TOVR_dbFlushInsertCache(h);
  if (failure == 0 && flushed != 0 && flushed != 12) failure = flushed;
  progress.finish();
  bool closed = session.close();
  if (failure != 0) {
    std::string where = failed_line > 0 ? data + ":" + std::to_string(failed_line) : s.file;
    report_error(where + ": " + IndexSession::status_text(failure));
    return kExitFailure;
  }
  if (!closed || !set_description(args, s.file, &error)) {
    report_error(closed ? error : s.file + ": the index could not be written");
    return kExitFailure;
  }
  std::printf("%s: %ld rows, %zu record numbers filed into %s sequence %d\n", data.c_str(),
              row_count, rows.size(), s.file.c_str(), s.sequence);
  return kExitOk;
}

// Lists the keys that a similarity term was widened to.
int show_expansion(int count, char** keys, float* scores, const char* term) {
  std::fprintf(stderr, "tovr: %s widens to", term);
  if (count == 0) std::fprintf(stderr, " nothing");
  for (int i = 0; i < count; ++i) {
    if (keys[i] != nullptr) std::fprintf(stderr, " %s (%.0f)", keys[i], scores[i]);
  }
  std::fprintf(stderr, "\n");
  return 0;
}

void show_query_error(const std::string& query, unsigned short position) {
  report_error("query error at position " + std::to_string(position));
  std::fprintf(stderr, "  %s\n  %*s^\n", query.c_str(), position > 0 ? position - 1 : 0, "");
}

// Rows of the data file by number, as load numbered them.
bool read_data_rows(const std::string& path, bool header, std::vector<std::string>* rows,
                    std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open";
    return false;
  }
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && header) {
      first = false;
      continue;
    }
    first = false;
    rows->push_back(trim_end(line));
  }
  return true;
}

int query(const Args& args, IndexSettings s, const std::string& text) {
  std::string error;
  double threshold = 0;
  if (!args.number("threshold", 1, 900, 700, &threshold, &error)) {
    return usage_error("index", error);
  }
  std::vector<std::string> data_rows;
  bool with_data = args.has("data");
  if (with_data && !read_data_rows(args.value("data"), args.has("header"), &data_rows, &error)) {
    report_error(error);
    return kExitFailure;
  }
  s.write = false;
  IndexSession session;
  int status = 0;
  if (!check_existing(s, &error) || !session.open(s, &status, &error)) {
    report_error(error);
    return kExitFailure;
  }
  unsigned short parsed =
      TOVR_dbParse(session.handle(), text.c_str(), static_cast<float>(threshold),
                   args.has("expansions") ? show_expansion : nullptr);
  if (parsed != 0) {
    if (parsed == 0xFFFE) {
      report_error("the query is too long for the query program");
    } else {
      show_query_error(text, parsed);
    }
    return kExitFailure;
  }
  TOVR_QueryResult* result = TOVR_dbReturnQueryResult(session.handle());
  std::vector<long> numbers;
  bool everything = false;
  for (int n = TOVR_dbGetNextQueryResult(result); n != 0; n = TOVR_dbGetNextQueryResult(result)) {
    if (n < 0) {
      everything = true;
      break;
    }
    numbers.push_back(n);
  }
  TOVR_dbDeleteQueryResult(result);
  session.close();
  if (everything) {
    if (!with_data) {
      report_error("the query selects every record; give --data to list them");
      return kExitOk;
    }
    numbers.clear();
    for (size_t i = 1; i <= data_rows.size(); ++i) numbers.push_back(static_cast<long>(i));
  }
  // With the data file at hand, numbers beyond its rows (which a complement brings) go.
  if (with_data) {
    std::erase_if(numbers, [&](long n) { return static_cast<size_t>(n) > data_rows.size(); });
  }
  if (args.has("count")) {
    std::printf("%zu\n", numbers.size());
    return kExitOk;
  }
  for (long n : numbers) {
    if (with_data) {
      std::printf("%ld\t%s\n", n, data_rows[n - 1].c_str());
    } else {
      std::printf("%ld\n", n);
    }
  }
  return kExitOk;
}

const char* coding_name(uint32_t coding) {
  return coding == 1 ? "sound code" : coding == 2 ? "hash" : "unknown coding";
}

int describe(const Args& args, const std::string& file) {
  IndexFileInfo info;
  std::string error;
  if (!read_index_file(file, &info, &error)) {
    report_error(error);
    return kExitFailure;
  }
  std::printf("file         %s\n", file.c_str());
  std::printf("version      %u\n", info.version);
  std::printf("signature    %s\n", info.signature.c_str());
  std::printf("description  %s\n", info.description.c_str());
  std::printf("pages        %u (page 0 to %u), %ld free, grows by %d\n", info.highest_page + 1,
              info.highest_page, info.free_pages, info.extension);
  std::printf("sequences    %zu\n", info.sequences.size());
  for (const SequenceInfo& seq : info.sequences) {
    std::printf("sequence %d   %s, %u bits, header page %u\n", seq.number, coding_name(seq.coding),
                seq.width, seq.header_page);
    std::printf("  pages      %ld key, %ld node, %ld relation, %ld bitmap\n", seq.key_pages,
                seq.node_pages, seq.relation_pages, seq.bitmap_pages);
    std::printf("  keys       %zu, with %ld record numbers\n", seq.keys.size(), seq.record_count);
    if (!args.has("keys")) continue;
    for (const KeyInfo& key : seq.keys) {
      std::printf("    %s\t%ld\n", key.key.c_str(), key.record_count);
    }
  }
  return kExitOk;
}

}  // namespace

int run_index(int argc, char** argv, int first) {
  Args args;
  std::string error;
  if (!args.parse(argc, argv, first, kIndexOptions, &error)) return usage_error("index", error);
  const std::vector<std::string>& pos = args.positionals();
  if (args.has("help") || pos.empty()) {
    if (args.has("help")) return show_usage(kIndexUsage);
    return usage_error("index", "no index command given (create, load, query or describe)");
  }
  const std::string& action = pos[0];
  size_t needed = action == "load" || action == "query" ? 3 : 2;
  if (action != "create" && action != "load" && action != "query" && action != "describe") {
    return usage_error("index", "no index command '" + action + "'");
  }
  if (pos.size() != needed) {
    return usage_error("index", "index " + action + " takes " + std::to_string(needed - 1) +
                                    (needed == 2 ? " argument" : " arguments"));
  }
  IndexSettings settings;
  if (!read_settings(args, &settings, &error)) return usage_error("index", error);
  settings.file = pos[1];
  if (action == "create") return create(args, settings);
  if (action == "load") return load(args, settings, pos[2]);
  if (action == "describe") return describe(args, settings.file);
  if (pos[2].size() > 1000) return usage_error("index", "the query is too long");
  return query(args, settings, pos[2]);
}

}  // namespace tovr::cli
