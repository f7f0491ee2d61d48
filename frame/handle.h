// Type tags of the control blocks handed to hosts as handles.
#pragma once

#include <cstring>

namespace tovr {

// True when p is not null and its first four bytes equal tag (a 4-byte compare; "ICB" is
// compared with its terminator).
inline bool has_tag(const void* p, const char* tag) noexcept {
  return p != nullptr && std::memcmp(p, tag, 4) == 0;
}

}  // namespace tovr
