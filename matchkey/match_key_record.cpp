#include "matchkey/match_key_record.h"

#include <cstring>
#include <limits>

namespace tovr {
namespace {

// The layout and, when field_name is given, its field.
int locate(TOVR_Mk* mk, const char* name, const char* field_name, MatchKeyLayout** layout,
           const FieldDef** field) {
  const int rc = find_layout(mk, name, layout);
  if (rc != kMkOk || field == nullptr) return rc;
  *field = find_field(**layout, field_name);
  return *field == nullptr ? kMkFieldNotFound : kMkOk;
}

}  // namespace

int mk_clear(TOVR_Mk* mk, const char* name) {
  MatchKeyLayout* layout = nullptr;
  const int rc = find_layout(mk, name, &layout);
  if (rc != kMkOk) return rc;
  std::memset(layout->record, ' ', static_cast<std::size_t>(layout->record_length));
  return kMkOk;
}

int mk_copy_within(TOVR_Mk* mk, const char* name, char* out, int capacity, bool* too_long) {
  *too_long = false;
  MatchKeyLayout* layout = nullptr;
  const int rc = find_layout(mk, name, &layout);
  if (rc != kMkOk) return rc;
  if (out == nullptr) return kMkNameInvalid;
  if (layout->record_length > capacity) {
    *too_long = true;
    return kMkOk;
  }
  std::memcpy(out, layout->record, static_cast<std::size_t>(layout->record_length));
  out[layout->record_length] = '\0';
  return kMkOk;
}

int mk_copy(TOVR_Mk* mk, const char* name, char* out) {
  bool too_long = false;
  return mk_copy_within(mk, name, out, std::numeric_limits<int>::max(), &too_long);
}

int mk_get(TOVR_Mk* mk, const char* name, const char* field_name, char* out) {
  MatchKeyLayout* layout = nullptr;
  const FieldDef* field = nullptr;
  const int rc = locate(mk, name, field_name, &layout, &field);
  if (rc != kMkOk) return rc;
  if (out == nullptr) return kMkNameInvalid;
  std::memcpy(out, layout->record + field->offset, static_cast<std::size_t>(field->length));
  out[field->length] = '\0';
  return kMkOk;
}

int mk_set(TOVR_Mk* mk, const char* name, const char* field_name, char* value) {
  MatchKeyLayout* layout = nullptr;
  const FieldDef* field = nullptr;
  const int rc = locate(mk, name, field_name, &layout, &field);
  if (rc != kMkOk) return rc;
  if (value == nullptr) return kMkNameInvalid;
  place_value(*field, layout->record, value);
  return kMkOk;
}

int mk_field_count(TOVR_Mk* mk, const char* name, short* count) {
  MatchKeyLayout* layout = nullptr;
  const int rc = find_layout(mk, name, &layout);
  if (rc != kMkOk) return rc;
  if (count == nullptr) return kMkNameInvalid;
  *count = layout->field_count;
  return kMkOk;
}

int mk_record_length(TOVR_Mk* mk, const char* name, short* length) {
  MatchKeyLayout* layout = nullptr;
  const int rc = find_layout(mk, name, &layout);
  if (rc != kMkOk) return rc;
  if (length == nullptr) return kMkNameInvalid;
  *length = layout->record_length;
  return kMkOk;
}

// An index below 1 gives the first field.
int mk_field_def(TOVR_Mk* mk, const char* name, short index, char* field_name, char* type,
                 short* offset, short* length) {
  MatchKeyLayout* layout = nullptr;
  const int rc = find_layout(mk, name, &layout);
  if (rc != kMkOk) return rc;
  if (index > layout->field_count) return kMkFieldNotFound;
  if (field_name == nullptr || type == nullptr || offset == nullptr || length == nullptr) {
    return kMkNameInvalid;
  }
  const FieldDef& f = layout->fields[index < 1 ? 0 : index - 1];
  std::memcpy(field_name, f.name, sizeof f.name);
  type[0] = f.type;
  type[1] = f.subtype;
  type[2] = '\0';
  *offset = f.offset;
  *length = f.length;
  return kMkOk;
}

int mk_attributes(TOVR_Mk* mk, const char* name, const char* field_name, char* type, short* offset,
                  short* length, char* missing) {
  MatchKeyLayout* layout = nullptr;
  const FieldDef* field = nullptr;
  const int rc = locate(mk, name, field_name, &layout, &field);
  if (rc != kMkOk) return rc;
  if (type == nullptr || offset == nullptr || length == nullptr || missing == nullptr) {
    return kMkNameInvalid;
  }
  type[0] = field->type;
  type[1] = field->subtype;
  *offset = field->offset;
  *length = field->length;
  *missing = field->missing;
  return kMkOk;
}

}  // namespace tovr
