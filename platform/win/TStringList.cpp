#include "platform/win/TStringList.h"

#include <climits>
#include <string>
#include <string_view>

#include "platform/win/Profile.h"
#include "platform/win/Text.h"

namespace win {
namespace {

std::string_view Bytes(const AnsiString &s) { return std::string_view(s.c_str(), static_cast<size_t>(s.Length())); }

} // namespace

int TStringList::Add(const AnsiString &s)
{
    items_.push_back(s);
    return Count() - 1;
}

bool TStringList::Insert(int index, const AnsiString &s)
{
    if (index < 0 || index > Count())
        return false;
    items_.insert(items_.begin() + index, s);
    return true;
}

bool TStringList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return false;
    items_.erase(items_.begin() + index);
    return true;
}

const AnsiString &TStringList::Strings(int index) const
{
    static const AnsiString empty;
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : empty;
}

int TStringList::IndexOf(const AnsiString &s) const
{
    for (int i = 0; i < Count(); ++i)
        if (GbkEqualNoCase(Bytes(items_[static_cast<size_t>(i)]), Bytes(s)))
            return i;
    return -1;
}

AnsiString TStringList::Text() const
{
    std::string text;
    for (const AnsiString &s : items_) {
        text += Bytes(s);
        text += "\r\n";
    }
    return AnsiString(text.data(), static_cast<int>(text.size()));
}

void TStringList::SetText(const AnsiString &text)
{
    std::string_view t = Bytes(text);
    std::vector<AnsiString> lines;
    size_t start = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '\r' && t[i] != '\n')
            continue;
        lines.emplace_back(t.data() + start, static_cast<int>(i - start));
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < t.size())
        lines.emplace_back(t.data() + start, static_cast<int>(t.size() - start));
    items_ = std::move(lines);
}

bool TStringList::LoadFromFile(const AnsiString &fileName)
{
    std::string bytes;
    if (!ProfileStore::ReadBytes(Bytes(fileName), bytes))
        return false;
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY); // beyond what a string can hold
        return false;
    }
    SetText(AnsiString(bytes.data(), static_cast<int>(bytes.size())));
    return true;
}

bool TStringList::SaveToFile(const AnsiString &fileName) const
{
    return ProfileStore::WriteBytes(Bytes(fileName), Bytes(Text())) != FALSE;
}

} // namespace win
