// Libraries loaded at run time: LoadLibraryA, GetProcAddress and FreeLibrary on
// ELF shared objects (whatever their file name, such as "QVTEST.DLL").
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

// An export as GetProcAddress returns it; the caller casts it to the function's
// real type.
using FARPROC = void (*)();

// Loads the library and returns its handle, or 0 with ERROR_MOD_NOT_FOUND (the
// file is missing or is no loadable library). A name without a folder is looked
// for beside the running program first and then in the working folder; a name
// with a folder is a Windows-form path (Path.h). Each call gives a new handle.
HMODULE LoadLibraryA(LPCSTR fileName);

// The export of that name, or null with ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// Releases the handle; the library is unloaded when no handle holds it any more.
// FALSE with ERROR_INVALID_HANDLE for an unknown handle.
BOOL FreeLibrary(HMODULE module);

constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

} // namespace win
