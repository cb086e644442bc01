// Files, folders and file searches through Win32 handles: the kernel file calls
// the programs make, on POSIX descriptors, with every name going through the
// path mapper (Path.h).
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_ATTRIBUTE_ENCRYPTED = 0x4000;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];     // GBK
    CHAR cAlternateFileName[14];  // always empty: there are no short names
};

// Opens or creates a file. Sharing modes are accepted and not enforced (POSIX
// has no such exclusion between openers). FILE_ATTRIBUTE_READONLY creates the
// file without write permission; an existing file without write permission
// refuses write access and truncation with ERROR_ACCESS_DENIED, also for root.
// OPEN_ALWAYS and CREATE_ALWAYS leave ERROR_ALREADY_EXISTS as the last error
// when the file was there, else 0. FILE_FLAG_DELETE_ON_CLOSE removes the name at
// once; the data live until the handle is closed. Directories cannot be opened.
// A file created directly in the temporary folder (GetTempPathA) is readable and
// writable by this user alone (mode 0600), as is a file created with
// FILE_ATTRIBUTE_ENCRYPTED, which Windows keeps readable by its owner alone; such
// a file of this user that already exists and is opened for writing with that
// attribute is made so too. Other files are created with mode 0666 less the umask.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPVOID securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// Reads and writes go on until the whole count is done, end of file or an error.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPVOID overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPVOID overlapped);

// Without `distanceHigh` the distance is a signed 32-bit value; with it, the two
// form a signed 64-bit distance and the high half of the new position is
// returned there. INVALID_SET_FILE_POINTER with ERROR_NEGATIVE_SEEK for a
// position before the start (the last error is 0 on success).
DWORD SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh, DWORD moveMethod);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL FlushFileBuffers(HANDLE file);

// Byte-range locks held by the handle: a range that overlaps one held by another
// handle (of any process) is refused at once with ERROR_LOCK_VIOLATION, and so is
// a range overlapping one the same handle holds. UnlockFile takes exactly a range
// that was locked (else ERROR_NOT_LOCKED). A handle with write access locks
// exclusively; a read-only handle takes a shared lock, which keeps writers' locks
// out but lets other readers lock the same range.
BOOL LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh);
BOOL UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow,
                DWORD bytesHigh);

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION *info);
BOOL GetFileTime(HANDLE file, FILETIME *creation, FILETIME *lastAccess, FILETIME *lastWrite);

// FILE_ATTRIBUTE_READONLY is the absence of write permission; a plain file with
// no other attribute reports FILE_ATTRIBUTE_NORMAL.
DWORD GetFileAttributesA(LPCSTR fileName);
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);

BOOL CreateDirectoryA(LPCSTR pathName, LPVOID securityAttributes);
BOOL RemoveDirectoryA(LPCSTR pathName);
// Creates every missing folder of the path, level by level; TRUE when the whole
// path is a folder at the end.
BOOL MakeDirectoryPath(LPCSTR pathName);

BOOL DeleteFileA(LPCSTR fileName);
// Copies contents, permissions and last-write time. A file copied onto itself is
// refused with ERROR_SHARING_VIOLATION.
BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
// Renames a file or folder; an existing target is refused with
// ERROR_ALREADY_EXISTS. A file moves across file systems by copy and delete.
BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
// MoveFileA, and with MOVEFILE_REPLACE_EXISTING a file takes the place of an
// existing file in one step (a rename over it): every reader finds the old file
// or the new one, never none. A directory or a read-only file in the way is
// refused with ERROR_ACCESS_DENIED, a move across file systems with
// ERROR_NOT_SAME_DEVICE. MOVEFILE_WRITE_THROUGH returns once the rename is on
// disk. Other flags are refused with ERROR_INVALID_PARAMETER.
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);

// The pattern's last component may hold '*' and '?' (one character, GBK-aware),
// matched without regard to ASCII case; a trailing ".*" also matches names
// without a dot, so "*.*" is every name. "." and ".." are never reported.
// Results come in the folder's own order.
HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA *findData);
BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA *findData);
BOOL FindClose(HANDLE findFile);

// The folder-returning calls give the length copied (without the NUL) when the
// buffer is large enough, else the size needed (with the NUL) and copy nothing.
// Paths are Linux paths with '/' separators, in GBK.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);  // ends in '/'
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR pathName);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);  // created when missing
// The running program's path. A buffer too small receives the path cut to
// size - 1 bytes; the result is then `size` with ERROR_INSUFFICIENT_BUFFER.
// Only the program itself (module 0) is known.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
// Makes the running program's folder the current directory, as the programs
// find their settings and data relative to it; FALSE when it cannot.
BOOL WorkFromProgramFolder();

// "<path>/<prefix up to 3 chars><hex number>.TMP" into `tempFileName` (MAX_PATH
// bytes). With `unique` 0 a number is chosen whose file does not exist yet and
// the empty file is created; the number is returned (0 on failure).
UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName);

} // namespace win
