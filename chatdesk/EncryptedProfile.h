// The chat client's own settings file, kept enciphered. Opening it deciphers it
// in memory and parses that; Save keeps the document's text in memory, and
// closing it enciphers that text (saved or as it was read) back over the
// profile. The plain text never reaches a disk, where another user could read
// the password it holds.
#pragma once

#include <string>

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

protected:
    bool ReadText(std::string &bytes) const override;
    bool WriteText(const std::string &bytes) const override;

private:
    win::CString m_path;
    // The plain text the profile is written back from: as deciphered (empty when
    // it could not be), then as last saved.
    mutable std::string m_plain;
};
