#include "chatdesk/EncryptedProfile.h"

#include "chatdesk/DesCipher.h"
#include "platform/win/File.h"

using namespace win;

CEncryptedProfile::CEncryptedProfile(LPCSTR path) : m_path(path)
{
    char folder[MAX_PATH], temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, "Lms", 0, temp) == 0)
        return;
    m_hasTempFile = true;
    SetFileName(temp);
    const CDesCipher cipher(kProgramKey);
    if (cipher.DecryptFile(m_path, temp))
        Load();
}

CEncryptedProfile::~CEncryptedProfile()
{
    if (!m_hasTempFile)
        return;
    const DWORD attributes = GetFileAttributesA(m_path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(m_path, FILE_ATTRIBUTE_NORMAL);
    const CDesCipher cipher(kProgramKey);
    cipher.EncryptFile(GetFileName(), m_path);
    DeleteFileA(GetFileName());
}
