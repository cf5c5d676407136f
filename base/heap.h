// Blocks on a heap: zero-filled on allocation and growth, exhaustion raised, never returned as null.
#pragma once
#include <cstddef>

namespace vadro {

// Handle of a heap (a Win32 heap handle on Windows; a heap object of our own on POSIX).
using HeapHandle = void*;

// The process heap, on which every string and container of the program lives.
HeapHandle ProcessHeap();

// A new private heap, for a container that owns its heap; freed with HeapDestroyOwned.
HeapHandle HeapCreateOwned();

// A new zero-filled block of `size` bytes; raises on exhaustion.
void* HeapAllocZeroed(HeapHandle heap, std::size_t size);

// `block` grown or shrunk to `size` bytes; new bytes are zero; raises on exhaustion.
void* HeapReAllocZeroed(HeapHandle heap, void* block, std::size_t size);

void HeapFreeBlock(HeapHandle heap, void* block);

// Destroys a heap that a container owns, with every block still on it. The process heap is
// never destroyed.
void HeapDestroyOwned(HeapHandle heap);

// The blocks on a heap made by HeapCreateOwned that are allocated and not yet freed, counted by
// walking the heap: what its users have not given back.
std::size_t HeapBlockCount(HeapHandle heap);

}  // namespace vadro
