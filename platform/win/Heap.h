// The process heap: zero-filled blocks that know their size, usable from any
// thread.
#pragma once

#include <cstddef>

#include "platform/win/WinTypes.h"

namespace win {


constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

// The one heap of the process; never 0.
HANDLE GetProcessHeap();

// Every block starts zero-filled, with or without HEAP_ZERO_MEMORY. Null, with
// ERROR_NOT_ENOUGH_MEMORY, when the heap handle is not the process heap's or the
// request is larger than the machine's memory.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);

// A null block is accepted and ignored.
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// The size asked for when the block was allocated; (SIZE_T)-1 for a null block.
SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block);

} // namespace win
