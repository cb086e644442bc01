// The registry: keys and values kept in one text file that all the user's
// programs share, re-read on every access so that each sees the others' writes
// at once. HKEY_CLASSES_ROOT holds only the read-only values that open a web
// page with the desktop's browser.
//
// The store is $LUMO_REGISTRY, or $XDG_CONFIG_HOME/lumo/registry.ini
// ($XDG_CONFIG_HOME defaults to $HOME/.config), in INI form: a section per key
// and a line per value.
//
//   [HKEY_CURRENT_USER\Software\Lumo\Ver2.0]
//   Path=sz:/home/u/lumo/
//   hMainWnd=dword:1234
//   Blob=hex:00ff10
//   @=sz:the default value
//
// In names and sz: texts a backslash starts an escape: \\ \r \n \t \0 and \xHH
// (any byte); other bytes stand for themselves (GBK text is kept as it is).
// Writes hold a lock on the file "<store>.lock" beside it and replace the store
// through a temporary file, keeping every line they do not change.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

using REGSAM = DWORD;
using PHKEY = HKEY *;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// All calls return ERROR_SUCCESS or an error code: ERROR_FILE_NOT_FOUND for a
// missing key or value, ERROR_ACCESS_DENIED when the store cannot be read or
// written for lack of permission (or the key was opened without the access
// needed), ERROR_CANTREAD / ERROR_CANTWRITE for other failures of the store,
// ERROR_BADDB for a value line that cannot be understood. A failed call leaves
// the store as it was.

// Opens the key, creating it (and the store) when missing.
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                     LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);

// `name` null or "" is the key's default value. With `data` null only the type
// and size are reported. A buffer smaller than the value gives ERROR_MORE_DATA,
// the size needed in *size and the buffer untouched. The size of a REG_SZ value
// counts its terminating NUL.
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);

// REG_SZ (one terminating NUL within `size` is dropped), REG_DWORD (size 4) and
// REG_BINARY; other types give ERROR_NOT_SUPPORTED.
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size);

LONG RegCloseKey(HKEY key);

} // namespace win
