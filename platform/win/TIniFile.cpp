#include "platform/win/TIniFile.h"

#include <string_view>
#include <vector>

#include "platform/win/Profile.h"

namespace win {
namespace {

std::string_view Bytes(const AnsiString &s) { return std::string_view(s.c_str(), static_cast<size_t>(s.Length())); }

AnsiString ToAnsi(std::string_view s) { return AnsiString(s.data(), static_cast<int>(s.size())); }

// The key names as the form library takes them from the NUL-separated list of the
// Win32 call: an empty name reads as the list's end.
std::vector<std::string_view> ListedKeys(const ProfileDocument &doc, const AnsiString &section)
{
    std::vector<std::string_view> names = doc.KeyNames(Bytes(section));
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].empty()) {
            names.resize(i);
            break;
        }
    return names;
}

} // namespace

AnsiString TIniFile::ReadString(const AnsiString &Section, const AnsiString &Ident, const AnsiString &Default) const
{
    auto doc = ProfileStore::Load(Bytes(fileName_));
    auto value = doc->Value(Bytes(Section), Bytes(Ident));
    return value ? ToAnsi(*value) : Default;
}

int TIniFile::ReadInteger(const AnsiString &Section, const AnsiString &Ident, int Default) const
{
    return ReadString(Section, Ident, AnsiString()).ToIntDef(Default);
}

bool TIniFile::ReadBool(const AnsiString &Section, const AnsiString &Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const AnsiString &Section, const AnsiString &Ident, const AnsiString &Value)
{
    return WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Value.c_str(), fileName_.c_str()) != FALSE;
}

bool TIniFile::WriteInteger(const AnsiString &Section, const AnsiString &Ident, int Value)
{
    return WriteString(Section, Ident, AnsiString(Value));
}

bool TIniFile::WriteBool(const AnsiString &Section, const AnsiString &Ident, bool Value)
{
    return WriteString(Section, Ident, AnsiString(Value ? "1" : "0"));
}

bool TIniFile::SectionExists(const AnsiString &Section) const
{
    return !ListedKeys(*ProfileStore::Load(Bytes(fileName_)), Section).empty();
}

bool TIniFile::ValueExists(const AnsiString &Section, const AnsiString &Ident) const
{
    return ProfileStore::Load(Bytes(fileName_))->Value(Bytes(Section), Bytes(Ident)).has_value();
}

void TIniFile::ReadSection(const AnsiString &Section, TStringList *Strings) const
{
    if (!Strings)
        return;
    Strings->Clear();
    auto doc = ProfileStore::Load(Bytes(fileName_));
    for (std::string_view key : ListedKeys(*doc, Section))
        Strings->Add(ToAnsi(key));
}

void TIniFile::ReadSections(TStringList *Strings) const
{
    if (!Strings)
        return;
    Strings->Clear();
    auto doc = ProfileStore::Load(Bytes(fileName_));
    for (std::string_view name : doc->SectionNames())
        Strings->Add(ToAnsi(name));
}

bool TIniFile::EraseSection(const AnsiString &Section)
{
    return WritePrivateProfileStringA(Section.c_str(), nullptr, nullptr, fileName_.c_str()) != FALSE;
}

bool TIniFile::DeleteKey(const AnsiString &Section, const AnsiString &Ident)
{
    return WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), nullptr, fileName_.c_str()) != FALSE;
}

} // namespace win
