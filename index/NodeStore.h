// Storage of the key tree's nodes: node n of a sequence lies in directory page n / 126 at
// slot n mod 126. Directory page 0 is the index header image (slots 0..2 hold header fields,
// slot 3 is the root); pages 1.. are node pages chained from it by forward links. A node is
// two u32 words; a free node is (0xFFFFFFFF, next free node).
#pragma once

#include <cstdint>

#include "index/Icb.h"

namespace tovr {

// GetNode / SetNode: false when n is not a node of the directory or its page is unreadable.
bool GetNode(Icb& icb, uint32_t n, uint32_t* w0, uint32_t* w1);
bool SetNode(Icb& icb, uint32_t n, uint32_t w0, uint32_t w1);

// FreeNode: takes a node off the free chain, adding a node page when the chain is empty.
// Returns the node number, or -1 when no node can be had.
long FreeNode(Icb& icb);

// Puts node n at the head of the free chain.
bool release_node(Icb& icb, uint32_t n);

// Writes the directory page holding node n (the index header image or a node page) to the
// disk now, ahead of the flush (see write_through). False when the write failed.
bool write_node_through(Icb& icb, uint32_t n);
// The directory page of node n: 0 for the index header image, else its node page.
uint32_t node_directory_page(const Icb& icb, uint32_t n);

// ReadTreeDir: collects the node page numbers by following the header's forward links.
// False when the chain is broken.
bool ReadTreeDir(Icb& icb);

}  // namespace tovr
