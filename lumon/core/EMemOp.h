// The program-wide allocator: zero-filled blocks from the process heap, their size
// and release, and the chains of raw blocks that the containers carve nodes from.
#pragma once

#include <cstddef>

// A zero-filled block of `size` bytes, or null.
void *EMemAlloc(size_t size);
void EMemFree(void *p);
// The size of a block from EMemAlloc.
size_t EMemSize(const void *p);

// A block chain is a singly linked list of raw blocks, each one allocation whose
// first word links to the next block; the caller's bytes follow the link.
constexpr size_t EBlockLinkSize = sizeof(void *);

// Allocates a block for n items of itemSize bytes, links it in front of the chain
// and returns it (the items start EBlockLinkSize bytes in); null when no memory.
void *AddBlockToChain(void *&head, int n, int itemSize);
void FreeBlockChain(void *&head);
