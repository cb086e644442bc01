#include "platform/win/CFile.h"

#include <errno.h>

#include <string>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Path.h"
#include "platform/win/Stdio.h"

namespace win {
namespace {

int CauseOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return CFileException::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return CFileException::badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
        return CFileException::tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return CFileException::accessDenied;
    case ERROR_INVALID_HANDLE:
        return CFileException::invalidFile;
    case ERROR_SHARING_VIOLATION:
        return CFileException::sharingViolation;
    case ERROR_LOCK_VIOLATION:
        return CFileException::lockViolation;
    case ERROR_DISK_FULL:
        return CFileException::diskFull;
    case ERROR_NEGATIVE_SEEK:
        return CFileException::badSeek;
    default:
        return CFileException::genericException;
    }
}

void Report(CFileException *error, DWORD code, LPCTSTR fileName)
{
    if (!error)
        return;
    error->m_cause = CauseOf(code);
    error->m_lOsError = static_cast<LONG>(code);
    error->m_strFileName = fileName;
}

DWORD ErrorOfErrno(int err)
{
    switch (err) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

} // namespace

CFile::~CFile()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags, CFileException *error)
{
    Close();
    DWORD access = (openFlags & modeReadWrite) ? GENERIC_READ | GENERIC_WRITE
                   : (openFlags & modeWrite)   ? GENERIC_WRITE
                                               : GENERIC_READ;
    DWORD disposition = !(openFlags & modeCreate)    ? OPEN_EXISTING
                        : (openFlags & modeNoTruncate) ? OPEN_ALWAYS
                                                       : CREATE_ALWAYS;
    DWORD share = (openFlags & 0x70) == shareExclusive  ? 0
                  : (openFlags & 0x70) == shareDenyWrite ? FILE_SHARE_READ
                  : (openFlags & 0x70) == shareDenyRead  ? FILE_SHARE_WRITE
                                                         : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileA(fileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE) {
        Report(error, GetLastError(), fileName);
        return FALSE;
    }
    m_hFile = h;
    m_strFileName = NativeToWinPath(MapPath(fileName)).c_str();
    return TRUE;
}

UINT CFile::Read(void *buffer, UINT count)
{
    DWORD done = 0;
    if (!ReadFile(m_hFile, buffer, count, &done, nullptr))
        return 0;
    return done;
}

BOOL CFile::Write(const void *buffer, UINT count)
{
    DWORD done = 0;
    return WriteFile(m_hFile, buffer, count, &done, nullptr) && done == count;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    LONG high = static_cast<LONG>(static_cast<ULONGLONG>(offset) >> 32);
    DWORD low = SetFilePointer(m_hFile, static_cast<LONG>(offset & 0xFFFFFFFF), &high, from);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return static_cast<ULONGLONG>(-1);
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

ULONGLONG CFile::GetLength() const
{
    DWORD high = 0;
    DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return 0;
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

BOOL CFile::SetLength(ULONGLONG newLength)
{
    ULONGLONG position = GetPosition();
    if (Seek(static_cast<LONGLONG>(newLength), begin) == static_cast<ULONGLONG>(-1))
        return FALSE;
    BOOL ok = SetEndOfFile(m_hFile);
    Seek(static_cast<LONGLONG>(position < newLength ? position : newLength), begin);
    return ok;
}

ULONGLONG CFile::GetPosition() const
{
    LONG high = 0;
    DWORD low = SetFilePointer(m_hFile, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return 0;
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

BOOL CFile::Flush() { return m_hFile == hFileNull || FlushFileBuffers(m_hFile); }

void CFile::Close()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_strFileName.Empty();
}

CStdioFile::~CStdioFile()
{
    if (m_pStream)
        std::fclose(m_pStream);
}

BOOL CStdioFile::Open(LPCTSTR fileName, UINT openFlags, CFileException *error)
{
    Close();
    const bool writes = openFlags & (modeWrite | modeReadWrite);
    const char *suffix = (openFlags & typeBinary) ? "b" : "t";
    std::string mode;
    std::FILE *stream = nullptr;
    if ((openFlags & modeCreate) && !(openFlags & modeNoTruncate)) {
        mode = std::string("w+") + suffix;
        stream = win::fopen(fileName, mode.c_str());
    } else {
        mode = std::string(writes ? "r+" : "r") + suffix;
        stream = win::fopen(fileName, mode.c_str());
        if (!stream && errno == ENOENT && (openFlags & modeCreate)) {
            mode = std::string("w+") + suffix;
            stream = win::fopen(fileName, mode.c_str());
        }
    }
    if (!stream) {
        Report(error, ErrorOfErrno(errno), fileName);
        return FALSE;
    }
    m_pStream = stream;
    m_strFileName = NativeToWinPath(MapPath(fileName)).c_str();
    return TRUE;
}

UINT CStdioFile::Read(void *buffer, UINT count)
{
    if (!m_pStream)
        return 0;
    return static_cast<UINT>(std::fread(buffer, 1, count, m_pStream));
}

BOOL CStdioFile::Write(const void *buffer, UINT count)
{
    if (!m_pStream)
        return FALSE;
    return std::fwrite(buffer, 1, count, m_pStream) == count;
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from)
{
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    if (!m_pStream || fseeko(m_pStream, offset, whence) != 0)
        return static_cast<ULONGLONG>(-1);
    return GetPosition();
}

ULONGLONG CStdioFile::GetLength() const
{
    if (!m_pStream)
        return 0;
    off_t here = ftello(m_pStream);
    if (here < 0 || fseeko(m_pStream, 0, SEEK_END) != 0)
        return 0;
    off_t length = ftello(m_pStream);
    fseeko(m_pStream, here, SEEK_SET);
    return length < 0 ? 0 : static_cast<ULONGLONG>(length);
}

BOOL CStdioFile::SetLength(ULONGLONG newLength)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

ULONGLONG CStdioFile::GetPosition() const
{
    if (!m_pStream)
        return 0;
    off_t here = ftello(m_pStream);
    return here < 0 ? 0 : static_cast<ULONGLONG>(here);
}

BOOL CStdioFile::Flush() { return !m_pStream || std::fflush(m_pStream) == 0; }

void CStdioFile::Close()
{
    if (m_pStream)
        std::fclose(m_pStream);
    m_pStream = nullptr;
    CFile::Close();
}

LPTSTR CStdioFile::ReadString(LPTSTR buffer, UINT maxChars)
{
    if (!m_pStream || !buffer || maxChars == 0)
        return nullptr;
    int size = maxChars > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(maxChars);
    return std::fgets(buffer, size, m_pStream);
}

BOOL CStdioFile::ReadString(CString &line)
{
    line.Empty();
    if (!m_pStream)
        return FALSE;
    std::string text;
    int c;
    bool any = false;
    while ((c = std::fgetc(m_pStream)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        text += static_cast<char>(c);
    }
    if (!any)
        return FALSE;
    line = CString(text.data(), static_cast<int>(text.size()));
    return TRUE;
}

BOOL CStdioFile::WriteString(LPCTSTR text)
{
    if (!m_pStream || !text)
        return FALSE;
    return std::fputs(text, m_pStream) >= 0;
}

} // namespace win
