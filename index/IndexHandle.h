// Opening, flushing, closing and removing index sequences: the life of an index handle.
#pragma once

#include "index/Icb.h"

namespace tovr {

struct OpenRequest {
  const char* name;
  char coding;
  char width;
  int buffers;
  int initial_pages;
  int extension;
  const char* const* statements;
  const char* signature;
  int write_flag;
};

// Opens the sequence named in the request, creating its file or its header page when they
// do not exist. Returns the handle with *status 0 (opened), 1 (file created) or 2 (sequence
// created), or null with the error status. A sequence already open gives its handle again.
Icb* open_index(const OpenRequest& request, int* status);

// Flushes the handle's insert cache, then writes every dirty page of its file. Returns the
// number of pages that could not be written (they stay dirty).
int flush_index(Icb& icb);

// Flushes and releases the handle; closes its file with the last handle on it and releases
// the tables with the last handle of all.
void close_index(Icb* icb);

// Returns every page of the sequence to the free list, clears its header slot and closes
// the handle.
void remove_index(Icb* icb);

}  // namespace tovr
