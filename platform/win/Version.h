// Version information of the running program: the program declares its version
// resource at start-up (fixed file and product versions and a table of string
// values per language block), and GetFileVersionInfoSizeA, GetFileVersionInfoA
// and VerQueryValueA read it back by the program's file name.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;        // 0xFEEF04BD
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

// One string value: "\StringFileInfo\<block>\<name>".
struct VersionString {
    LPCSTR block;             // such as "080404b0"
    LPCSTR name;              // such as "FileDescription"
    LPCSTR value;             // GBK text
};

// What the program declares about itself.
struct VersionResource {
    WORD fileVersion[4];      // most significant first: 5, 0, 5, 3
    WORD productVersion[4];
    const VersionString *strings;
    int stringCount;
};

// Registers the resource of the running program's own file (the path
// GetModuleFileNameA gives for module 0), replacing an earlier one.
void RegisterVersionResource(const VersionResource &resource);

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;

// The size of the file's version block, 0 with ERROR_RESOURCE_TYPE_NOT_FOUND
// for a file without one; *handle is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, DWORD *handle);

// Copies the file's version block into `data` (at least the size above); FALSE
// with ERROR_INSUFFICIENT_BUFFER when `length` is smaller, or as above.
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data);

// In a block copied by GetFileVersionInfoA: "\" gives the VS_FIXEDFILEINFO,
// "\StringFileInfo\<block>\<name>" (case-insensitive) a string value, with its
// length in characters including the terminator. FALSE when there is no such value.
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, UINT *length);

} // namespace win
