#include "lumon/core/FlatFile.h"

#include <climits>
#include <string>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

bool IsOpen(int handle)
{
    return handle >= 1;
}

HANDLE H(int handle)
{
    return HANDLE(handle);
}

// size x count as a byte count, or -1 when it is negative or beyond 32 bits.
long long ByteCount(int size, int count)
{
    if (size < 0 || count < 0)
        return -1;
    long long bytes = (long long)size * count;
    return bytes > INT_MAX ? -1 : bytes;
}

} // namespace

uint8_t ParseFileMode(const char *mode)
{
    uint8_t flags = FILE_MODE_TEXT | FILE_MODE_READ;
    if (!mode || !mode[0])
        return flags;
    switch (mode[0]) {
    case 'r':
    case 'R':
        flags = FILE_MODE_TEXT | FILE_MODE_READ;
        break;
    case 'w':
    case 'W':
        flags = FILE_MODE_TEXT | FILE_MODE_WRITE;
        break;
    case 'a':
    case 'A':
        flags = FILE_MODE_TEXT | FILE_MODE_APPEND | FILE_MODE_WRITE;
        break;
    default:
        break;
    }
    if (mode[1] == 'b' || mode[1] == 'B')
        flags &= ~FILE_MODE_TEXT;
    else if (mode[1] == '+')
        flags |= FILE_MODE_READ | FILE_MODE_WRITE;
    if (mode[1] && (mode[2] == 'b' || mode[2] == 'B'))
        flags &= ~FILE_MODE_TEXT;
    return flags;
}

int FileOpen(const char *name, const char *mode)
{
    if (!name || !name[0] || !mode)
        return -1;
    uint8_t flags = ParseFileMode(mode);
    std::string upper = GbkUpper(name);
    DWORD access = 0, disposition = OPEN_ALWAYS;
    switch (flags & (FILE_MODE_READ | FILE_MODE_WRITE)) {
    case FILE_MODE_READ:
        access = GENERIC_READ;
        disposition = OPEN_EXISTING;
        break;
    case FILE_MODE_WRITE:
        access = GENERIC_WRITE;
        break;
    default:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    }
    HANDLE h = CreateFileA(upper.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE || h == 0 || h > HANDLE(INT_MAX))
        return -1;
    if (flags & FILE_MODE_APPEND)
        SetFilePointer(h, 0, nullptr, FILE_END);
    return int(h);
}

void FileClose(int handle)
{
    if (IsOpen(handle))
        CloseHandle(H(handle));
}

int FileSeek(int handle, int offset, int origin)
{
    if (!IsOpen(handle) || origin < 0 || origin > 2)
        return -1;
    DWORD pos = SetFilePointer(H(handle), offset, nullptr, DWORD(origin));
    return pos == INVALID_SET_FILE_POINTER || pos > DWORD(INT_MAX) ? -1 : int(pos);
}

int FileTell(int handle)
{
    return FileSeek(handle, 0, 1);
}

int FileRead(int handle, void *buffer, int size, int count)
{
    long long bytes = ByteCount(size, count);
    if (!IsOpen(handle) || !buffer || bytes <= 0)
        return 0;
    DWORD done = 0;
    if (!ReadFile(H(handle), buffer, DWORD(bytes), &done, nullptr))
        return 0;
    return int(done);
}

int FileWrite(int handle, const void *buffer, int size, int count)
{
    long long bytes = ByteCount(size, count);
    if (!IsOpen(handle) || !buffer || bytes <= 0)
        return 0;
    DWORD done = 0;
    if (!WriteFile(H(handle), buffer, DWORD(bytes), &done, nullptr))
        return 0;
    return int(done);
}

int FileGetSize(int handle)
{
    if (!IsOpen(handle))
        return -1;
    DWORD size = GetFileSize(H(handle), nullptr);
    if (size == INVALID_FILE_SIZE)
        return -1;
    return size > DWORD(INT_MAX) ? INT_MAX : int(size);
}

int FileTruncate(int handle, int length)
{
    if (!IsOpen(handle) || length < 0)
        return -1;
    int pos = FileSeek(handle, length, 0);
    if (pos < 0 || !SetEndOfFile(H(handle)))
        return -1;
    return pos;
}

int FileLockRange(int handle, int offset, int length)
{
    if (!IsOpen(handle))
        return 0;
    return LockFile(H(handle), DWORD(offset), 0, DWORD(length), 0);
}

int FileUnlockRange(int handle, int offset, int length)
{
    if (!IsOpen(handle))
        return 0;
    return UnlockFile(H(handle), DWORD(offset), 0, DWORD(length), 0);
}
