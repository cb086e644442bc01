// Data resources of the program (a resource type of the program's own, such as a
// sound file built into it): the program enters the bytes under a type and a
// name at start-up; FindResourceA, LoadResource, LockResource and
// SizeofResource hand them out as they do on Windows.
#pragma once

#include <cstddef>

#include "platform/win/Resource.h"

namespace win {

using HRSRC = uintptr_t;
using HGLOBAL = uintptr_t;

// Enters `size` bytes (a static block that lives as long as the program) under
// the type and name (text or MAKEINTRESOURCE number); FALSE for an empty type
// or name, or no bytes.
BOOL RegisterDataResource(LPCSTR type, LPCSTR name, const void *data, size_t size);

// The resource, or 0 with ERROR_RESOURCE_NAME_NOT_FOUND. Any module handle
// names the program itself.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
inline HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type)
{
    return FindResourceA(module, name, type);
}
// The handle of the loaded resource (0 for 0).
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The first byte of the loaded resource, or null.
const void *LockResource(HGLOBAL loaded);
// Its size in bytes (0 for 0).
DWORD SizeofResource(HMODULE module, HRSRC resource);

} // namespace win
