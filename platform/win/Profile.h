// INI files with the Windows private-profile calls: reads that always see what is
// on disk, and writes that reach the disk at once, atomically, without losing a
// concurrent writer's change (a lock per file shared by every process, which
// writers wait for). A write that cannot be made reports failure.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win/ProfileDocument.h"
#include "platform/win/WinTypes.h"

namespace win {

// File access of the INI calls, the form library's INI object and its string list.
// Names are Windows-form paths; a relative one is taken from the working folder.
class ProfileStore {
public:
    // The parsed file; an empty document with ERROR_FILE_NOT_FOUND (or the reason
    // it cannot be read) as the last error when there is no readable file.
    static std::shared_ptr<const ProfileDocument> Load(std::string_view fileName);

    // Runs `edit` on the file's current content under the file's write lock and
    // replaces the file when the edit reports a change. A missing file is created
    // only when `create` is set; otherwise a missing file means nothing to edit.
    static BOOL Edit(std::string_view fileName, bool create,
                     const std::function<bool(ProfileDocument &)> &edit);

    // Whole-file byte access for the string list, under the same lock and with
    // the same atomic replacement.
    static BOOL ReadBytes(std::string_view fileName, std::string &bytes);
    static BOOL WriteBytes(std::string_view fileName, std::string_view bytes);

    // How long a writer waits in all for the lock of a file that other writers
    // hold before the write fails with ERROR_SHARING_VIOLATION (15 seconds unless
    // set; a test of that failure sets less).
    static void SetLockWait(int milliseconds);
};

// `appName` null: the section names; `keyName` null: the key names of the section;
// both as NUL-separated lists ending in an extra NUL (an empty key name stands as
// an empty string). Otherwise the value. A missing key, or a key list of a section
// without keys, gives `defaultValue` (trailing blanks and one pair of enclosing
// quotes removed), as does a missing section or file. The result is
// the number of bytes stored without the final NUL: a value is cut at nSize - 1
// bytes, never inside a double-byte character; a cut list returns nSize - 2.
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                               LPSTR returnedString, DWORD nSize, LPCSTR fileName);
// Leading blanks, an optional sign, then decimal digits or "0x" (lower case) and hex digits,
// up to the first other character; text without digits gives 0, a missing key or
// an empty value gives `defaultValue`.
UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName);
// Creates the file, the section and the key as needed; a null `string` deletes the
// key, a null `keyName` deletes the whole section; all three null returns 0 (a
// flush, which has nothing to do). Text that would change the
// file's structure (a line break, ']' in a section name, '=' in a key) is refused
// with ERROR_INVALID_PARAMETER.
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR string, LPCSTR fileName);
// The lines of a section ("key=value", or a line without '=' as it is), as a
// list like the one above.
DWORD GetPrivateProfileSectionA(LPCSTR appName, LPSTR returnedString, DWORD nSize, LPCSTR fileName);
DWORD GetPrivateProfileSectionNamesA(LPSTR returnBuffer, DWORD nSize, LPCSTR fileName);
// Replaces the lines of a section by the NUL-separated list `string` (ending in an
// extra NUL); a null `string` deletes the section.
BOOL WritePrivateProfileSectionA(LPCSTR appName, LPCSTR string, LPCSTR fileName);

} // namespace win
