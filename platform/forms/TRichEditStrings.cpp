#include "platform/forms/TRichEditStrings.h"

#include <climits>
#include <string>
#include <string_view>

#include "platform/forms/RtfText.h"
#include "platform/forms/TRichEdit.h"
#include "platform/gdi/GraphicsTypes.h"
#include "platform/win/Profile.h"

namespace win {

namespace {

std::string_view Bytes(const AnsiString &s) { return std::string_view(s.c_str(), static_cast<size_t>(s.Length())); }

} // namespace

bool TRichEditStrings::LoadFromFile(const AnsiString &fileName)
{
    std::string bytes;
    if (!ProfileStore::ReadBytes(Bytes(fileName), bytes))
        return false;
    std::string text;
    if (owner_->PlainText || !ReadRtf(bytes, text))
        text = std::move(bytes);
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY); // beyond what a string can hold
        return false;
    }
    SetText(AnsiString(text.data(), static_cast<int>(text.size())));
    return true;
}

bool TRichEditStrings::SaveToFile(const AnsiString &fileName) const
{
    if (owner_->PlainText)
        return List().SaveToFile(fileName);
    RtfFont font;
    font.Name = owner_->Font->Name;
    font.Size = owner_->Font->Size;
    font.Color = ColorToRGB(owner_->Font->Color);
    return ProfileStore::WriteBytes(Bytes(fileName), WriteRtf(List(), font)) != FALSE;
}

} // namespace win
