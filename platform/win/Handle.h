// Kernel objects (files, threads, mutexes, find searches, registry keys) behind
// 32-bit handle numbers, and CloseHandle for all of them.
#pragma once

#include <memory>

#include "platform/win/WinTypes.h"

namespace win {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// A fresh handle number: never 0, below 2^31, never handed out twice.
DWORD AllocateHandleNumber();

// Enters an object in the table and returns its new handle.
HANDLE AddKernelObject(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null when the handle is closed, unknown or of
// another kind.
std::shared_ptr<KernelObject> FindKernelObject(HANDLE h);
template <typename T>
std::shared_ptr<T> FindKernelObjectAs(HANDLE h)
{
    return std::dynamic_pointer_cast<T>(FindKernelObject(h));
}

// Removes the handle from the table; the object dies when its last user lets go.
// FALSE with ERROR_INVALID_HANDLE for an unknown handle.
BOOL CloseHandle(HANDLE h);

} // namespace win
