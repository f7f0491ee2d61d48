// The user file table and the user variable table that all processes share, and the search
// for the process whose match key holds a field.
#include <cstring>

#include "frame/strings.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {

Step open_user_file(PatternFileState& st, const char* name, const char* open_error, short& slot) {
  UserFileTable& table = st.out->user_files;
  for (int i = 0; i < kMaxUserFiles; ++i) {
    UserFile& f = table.files[i];
    if (f.use_count > 0 && std::strcmp(f.name, name) == 0) {
      ++f.use_count;
      slot = static_cast<short>(i);
      return Step::kOk;
    }
  }
  // The name field holds 49 characters; a longer name could not be shared by name.
  if (std::strlen(name) >= kUserFileNameSize) return line_error(st, patmsg::kStringTooLong);
  Stream s = stream_open(name, "r");
  if (s == nullptr) return line_error(st, open_error);
  // The table keeps one entry free: the file that would fill it is refused.
  if (table.count + 1 >= kMaxUserFiles) {
    stream_close(s);
    return line_error(st, patmsg::kTooManyUserFiles);
  }
  for (int i = 0; i < kMaxUserFiles; ++i) {
    UserFile& f = table.files[i];
    if (f.use_count != 0) continue;
    f.stream = s;
    copy_text(f.name, sizeof f.name, name);
    f.use_count = 1;
    ++table.count;
    slot = static_cast<short>(i);
    return Step::kOk;
  }
  stream_close(s);
  return line_error(st, patmsg::kTooManyUserFiles);
}

void drop_user_file(UserFileTable& table, short slot) {
  if (slot < 0 || slot >= kMaxUserFiles) return;
  UserFile& f = table.files[slot];
  if (f.use_count <= 0) return;
  if (--f.use_count == 0) {
    if (f.stream != nullptr) stream_close(f.stream);
    f.stream = nullptr;
    f.name[0] = '\0';
    --table.count;
  }
}

int find_user_var(const UserVariableTable& vars, const char* name) {
  for (int i = 0; i < vars.count && i < kMaxUserVars; ++i) {
    if (str_icmp(vars.names[i], name) == 0) return i;
  }
  return -1;
}

bool is_reserved_word(const char* name) {
  return str_icmp(name, "LEN") == 0 || str_icmp(name, "PICT") == 0;
}

int find_field_process(const PatternFileState& st, const char* field) {
  const PatternSources& src = *st.sources;
  if (src.services.field_status == nullptr) return -1;
  for (int p = 0; p < src.process_count && p < kPatternProcesses; ++p) {
    const char* mk = src.process[p].match_key;
    if (mk == nullptr) continue;
    if (src.services.field_status(src.services.user, mk, field) == 0) return p;
  }
  return -1;
}

}  // namespace tovr
