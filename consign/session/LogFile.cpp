#include "consign/session/LogFile.h"

#include <cstdio>
#include <cstring>

#include "consign/session/Des.h"
#include "platform/win/File.h"
#include "platform/win/Time.h"

using namespace win;

const char CLogFile::LOG_KEY[9] = "wrenfold";

CString CLogFile::TodayFileName()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString name;
    name.Format("Consign%02u%02u.Log", now.wMonth, now.wDay);
    return name;
}

int CLogFile::Open(LPCTSTR fileName)
{
    const DWORD attributes = GetFileAttributesA("Log");
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        CreateDirectoryA("Log", nullptr);
    CString path;
    path.Format(".\\Log\\%s", fileName);
    // Opened for reading and writing, sharing allowed, created when missing and
    // never emptied. The log holds the user's logins and orders: it is readable
    // by this user alone, also a log an older version left open to others.
    Close();
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_ENCRYPTED, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    m_hFile = file;
    SeekToEnd();
    return 1;
}

int CLogFile::WriteLine(LPCTSTR text, int encipher)
{
    if (m_hFile == hFileNull)
        return 0;
    // Head (9) + text (at most 300) + padding (at most 15) + "\r\n": the longest
    // line is 320 bytes, so no text is ever cut short of its 300 characters.
    char line[328];
    SYSTEMTIME now;
    GetLocalTime(&now);
    int length = std::snprintf(line, sizeof line, "%02u:%02u:%02u-%.300s", now.wHour, now.wMinute,
                               now.wSecond, text ? text : "");
    int total = length / 8 * 8 + 8;
    int blanks = total - length - 2;
    if (total - length == 1) {
        blanks = 7;
        total += 8;
    }
    std::memset(line + length, ' ', blanks);
    std::memcpy(line + length + blanks, "\r\n", 2);
    if (encipher) {
        DesInit(0);
        DesSetKey(reinterpret_cast<const unsigned char *>(LOG_KEY));
        for (int at = 0; at < total; at += 8)
            DesEncryptBlock(reinterpret_cast<unsigned char *>(line + at));
    }
    return Write(line, static_cast<UINT>(total)) ? 1 : 0;
}
