// Paths written the Windows way (GBK bytes, '\' or '/' separators, relative to the
// working folder, any letter case) turned into the native UTF-8 paths the system
// calls take, with a cache of folder listings that keeps the case-insensitive
// lookup cheap.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

namespace win {

// The native path for a Windows-form path. Every component is matched from the
// root: the exact name when it exists, else an entry of the folder that differs
// only in ASCII letter case, else the given spelling (so a new file keeps the
// name it was given, inside the existing spelling of its folders). "." and ".."
// are resolved on the text, as Windows does. On failure the result is empty and
// the thread's last error says why: ERROR_PATH_NOT_FOUND for an empty path or a
// lost working folder, ERROR_INVALID_NAME for a NUL inside the path,
// ERROR_FILENAME_EXCED_RANGE for a component or a whole path too long.
std::string MapPath(std::string_view winPath);

// The layer's own creates, renames and deletes report here so that the cached
// listings stay true without a fresh look at the folder.
void NotePathCreated(const std::string &native);
void NotePathRemoved(const std::string &native);

// A native path as the programs see it: GBK bytes, '/' separators.
std::string NativeToWinPath(std::string_view native);

// The Windows error code for a failed system call on `native`; a missing file
// inside a missing folder is ERROR_PATH_NOT_FOUND, as Windows reports it.
DWORD ErrorFromErrno(int err, const std::string &native);

} // namespace win
