// The form library's INI object: typed reads and writes of the keys of one INI
// file, with the private-profile rules; every write reaches the file at once.
#pragma once

#include "platform/win/AnsiString.h"
#include "platform/win/TStringList.h"

namespace win {

class TIniFile {
public:
    explicit TIniFile(const AnsiString &FileName) : fileName_(FileName) {}

    const AnsiString &FileName() const { return fileName_; }

    // The value, or `Default` when the key is missing.
    AnsiString ReadString(const AnsiString &Section, const AnsiString &Ident, const AnsiString &Default) const;
    // Decimal, or hexadecimal after "0x" or "$", with an optional sign; a missing
    // key or any other text gives `Default`.
    int ReadInteger(const AnsiString &Section, const AnsiString &Ident, int Default) const;
    // An integer value: 0 is false, any other true; otherwise `Default`.
    bool ReadBool(const AnsiString &Section, const AnsiString &Ident, bool Default) const;

    // Writes report failure (an unwritable file, text that would break the file's
    // lines) by their result.
    bool WriteString(const AnsiString &Section, const AnsiString &Ident, const AnsiString &Value);
    bool WriteInteger(const AnsiString &Section, const AnsiString &Ident, int Value);
    // "1" or "0".
    bool WriteBool(const AnsiString &Section, const AnsiString &Ident, bool Value);

    // A section exists when it holds at least one key.
    bool SectionExists(const AnsiString &Section) const;
    bool ValueExists(const AnsiString &Section, const AnsiString &Ident) const;
    // Replace the list's contents with the section's key names (every key line, up
    // to an empty name, which ends the Win32 list) / the section names.
    void ReadSection(const AnsiString &Section, TStringList *Strings) const;
    void ReadSections(TStringList *Strings) const;
    bool EraseSection(const AnsiString &Section);
    bool DeleteKey(const AnsiString &Section, const AnsiString &Ident);

private:
    AnsiString fileName_;
};

} // namespace win
