// The chat client's own settings file, kept enciphered: opening it deciphers it
// into a temporary plain file and parses that; closing it enciphers the
// temporary file (saved or not) back over the profile and deletes it.
#pragma once

#include "chatdesk/IniFile.h"

class CEncryptedProfile : public CIniFile {
public:
    // The program's key text.
    static constexpr const char *kProgramKey = "K4QZWT7RMBN2HPX8";

    // A profile that is missing, cut, of another format or under another key
    // gives an empty document (every read gives its default).
    explicit CEncryptedProfile(win::LPCSTR path);
    ~CEncryptedProfile() override;
    CEncryptedProfile(const CEncryptedProfile &) = delete;
    CEncryptedProfile &operator=(const CEncryptedProfile &) = delete;

private:
    win::CString m_path;
    bool m_hasTempFile = false;
};
