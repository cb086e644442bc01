#include "lumon/core/LFile.h"

#include "platform/win/Debug.h"

#include "platform/win/Handle.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

BY_HANDLE_FILE_INFORMATION fileInfo;

} // namespace

LFile::LFile()
    : m_Handle(INVALID_HANDLE_VALUE)
{
    m_Name[0] = 0;
}

LFile::~LFile()
{
    if (IsOpen())
        CloseHandle(m_Handle);
}

int LFile::OpenRead(const char *name, DWORD shareMode)
{
    Close();
    if (!name || !name[0])
        return 0;
    HANDLE h = CreateFileA(name, GENERIC_READ, shareMode, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    m_Handle = h;
    lstrcpynA(m_Name, name, sizeof m_Name);
    return 1;
}

DWORD LFile::GetSize() const
{
    if (!IsOpen())
        return 0;
    DWORD size = GetFileSize(m_Handle, nullptr);
    return size == INVALID_FILE_SIZE ? 0 : size;
}

int LFile::Seek(int offset, int origin)
{
    if (!IsOpen() || origin < 0 || origin > 2)
        return 0;
    return SetFilePointer(m_Handle, offset, nullptr, DWORD(origin)) != INVALID_SET_FILE_POINTER;
}

int LFile::Read(void *buffer, int bytes)
{
    DWORD done = 0;
    if (!IsOpen() || !buffer || bytes < 0)
        return 0;
    if (!ReadFile(m_Handle, buffer, DWORD(bytes), &done, nullptr)) {
        OutputDebugStringA("Read file error!\r\n");
        return 0;
    }
    return int(done);
}

const BY_HANDLE_FILE_INFORMATION *LFile::GetInfo()
{
    if (!IsOpen() || !GetFileInformationByHandle(m_Handle, &fileInfo))
        return nullptr;
    return &fileInfo;
}

void LFile::Close()
{
    if (IsOpen())
        CloseHandle(m_Handle);
    m_Handle = INVALID_HANDLE_VALUE;
    m_Name[0] = 0;
}
