// The record operations of the match key service, behind the exported TOVR_mk functions.
// Each finds the layout by name (kMkNameInvalid when it cannot) and, where a field is
// named, the field (kMkFieldNotFound). Null output arguments give kMkNameInvalid.
#pragma once

#include "matchkey/match_key.h"

namespace tovr {

int mk_clear(TOVR_Mk* mk, const char* name);
int mk_copy(TOVR_Mk* mk, const char* name, char* out);
// mk_copy into a buffer of capacity characters plus the final NUL: a record longer than
// that is not copied and sets *too_long (the status stays kMkOk).
int mk_copy_within(TOVR_Mk* mk, const char* name, char* out, int capacity, bool* too_long);
int mk_get(TOVR_Mk* mk, const char* name, const char* field, char* out);
int mk_set(TOVR_Mk* mk, const char* name, const char* field, char* value);
int mk_field_count(TOVR_Mk* mk, const char* name, short* count);
int mk_record_length(TOVR_Mk* mk, const char* name, short* length);
int mk_field_def(TOVR_Mk* mk, const char* name, short index, char* field_name, char* type,
                 short* offset, short* length);
int mk_attributes(TOVR_Mk* mk, const char* name, const char* field, char* type, short* offset,
                  short* length, char* missing);

}  // namespace tovr
