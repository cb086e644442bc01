#include "chatdesk/EncryptedProfile.h"

#include "chatdesk/DesCipher.h"
#include "platform/win/File.h"

using namespace win;

CEncryptedProfile::CEncryptedProfile(LPCSTR path) : m_path(path)
{
    SetFileName(path);
    const CDesCipher cipher(kProgramKey);
    if (cipher.DecryptFromFile(m_path, m_plain))
        Load();
}

CEncryptedProfile::~CEncryptedProfile()
{
    const DWORD attributes = GetFileAttributesA(m_path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(m_path, FILE_ATTRIBUTE_NORMAL);
    const CDesCipher cipher(kProgramKey);
    cipher.EncryptToFile(m_plain, m_path);
}

bool CEncryptedProfile::ReadText(std::string &bytes) const
{
    bytes = m_plain;
    return true;
}

bool CEncryptedProfile::WriteText(const std::string &bytes) const
{
    m_plain = bytes;
    return true;
}
