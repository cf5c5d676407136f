// Blocks on a heap: zero-filled on allocation and growth, exhaustion raised, never returned as null.
#pragma once
#include <cstddef>

namespace vadro {

// Handle of a heap (a Win32 heap handle on Windows; a PosixHeap on POSIX, base/heap_posix.h).
using HeapHandle = void*;

// The process heap, on which every string and container of the program lives.
HeapHandle ProcessHeap();

// A new zero-filled block of `size` bytes; raises on exhaustion.
void* HeapAllocZeroed(HeapHandle heap, std::size_t size);

// `block` grown or shrunk to `size` bytes; new bytes are zero; raises on exhaustion.
void* HeapReAllocZeroed(HeapHandle heap, void* block, std::size_t size);

void HeapFreeBlock(HeapHandle heap, void* block);

// Destroys a heap that a container owns, with every block still on it. The process heap is
// never destroyed. (The program creates no heap of its own; the tests do.)
void HeapDestroyOwned(HeapHandle heap);

}  // namespace vadro
