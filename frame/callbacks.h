// The process-wide table of host callbacks. Every allocation, file operation and message of
// the library passes through one of these 15 slots.
#pragma once

#include "include/tovr.h"

namespace tovr {

inline constexpr int kCallbackSlots = 15;

// Current contents of a slot, cast to the slot's own function type. Index must be 0..14.
TOVR_Callback callback_slot(int index);

// Whether a slot still holds the library's own function (false for an invalid index and for
// slot 14, which has none).
bool callback_is_default(int index);

template <class Fn>
Fn slot_as(int index) {
  return reinterpret_cast<Fn>(callback_slot(index));
}

}  // namespace tovr
