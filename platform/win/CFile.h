// The application framework's file classes: CFile over a Win32 file handle and
// CStdioFile over a C stream with line reads and writes (text mode turns line
// ends into CR LF on disk). Failures are reported by results, never thrown.
#pragma once

#include <cstdio>

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

namespace win {

// Why an Open failed: the cause and the Windows error code behind it.
class CFileException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    int m_cause = none;
    LONG m_lOsError = -1;
    CString m_strFileName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };
    static constexpr HANDLE hFileNull = INVALID_HANDLE_VALUE;

    CFile() = default;
    CFile(const CFile &) = delete;
    CFile &operator=(const CFile &) = delete;
    virtual ~CFile();

    // modeCreate creates the file, emptying an existing one unless modeNoTruncate
    // is given; without modeCreate the file must exist. The position starts at 0.
    // Sharing flags are accepted and not enforced. On failure `error` (when given)
    // receives the cause.
    virtual BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException *error = nullptr);
    // Bytes read; 0 at the end of the file or on failure.
    virtual UINT Read(void *buffer, UINT count);
    // TRUE when every byte was written.
    virtual BOOL Write(const void *buffer, UINT count);
    // The new position, or ULONGLONG(-1) on failure (the position is unchanged).
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetLength() const;
    virtual BOOL SetLength(ULONGLONG newLength);
    virtual ULONGLONG GetPosition() const;
    virtual BOOL Flush();
    virtual void Close();
    // The full path of the open file, as the program writes paths (GBK).
    CString GetFilePath() const { return m_strFileName; }

    HANDLE m_hFile = hFileNull;

protected:
    CString m_strFileName;
};

// Line-oriented file on a C stream. m_hFile stays hFileNull; m_pStream is the
// stream while the file is open. typeBinary passes bytes through; otherwise the
// file is in text mode (CR LF on disk, "\n" in the program).
class CStdioFile : public CFile {
public:
    CStdioFile() = default;
    ~CStdioFile() override;

    BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException *error = nullptr) override;
    UINT Read(void *buffer, UINT count) override;
    BOOL Write(const void *buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override;
    // A stream's length cannot be set: always FALSE.
    BOOL SetLength(ULONGLONG newLength) override;
    ULONGLONG GetPosition() const override;
    BOOL Flush() override;
    void Close() override;

    // Reads at most maxChars - 1 bytes, stopping after a line end, which is kept;
    // the buffer is NUL-terminated. Null at the end of the file.
    LPTSTR ReadString(LPTSTR buffer, UINT maxChars);
    // One whole line without its line end; FALSE at the end of the file.
    BOOL ReadString(CString &line);
    // Writes the text as it is ("\n" becomes CR LF in text mode).
    BOOL WriteString(LPCTSTR text);

    std::FILE *m_pStream = nullptr;
};

} // namespace win
