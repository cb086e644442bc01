// The form library's clipboard: text (GBK) and pictures, shared through the
// system's clipboard. It needs the GUI application; without one it is empty.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Property.h"
#include "platform/win/AnsiString.h"

namespace win {

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;

class TBitmap;

class TClipboard {
public:
    // Whether the clipboard holds text (CF_TEXT) or a picture (CF_BITMAP).
    bool HasFormat(UINT format);
    AnsiString GetAsText();
    void SetAsText(AnsiString text);
    void Clear();
    // Puts the bitmap's picture on the clipboard.
    void Assign(TBitmap *bitmap);

    Property<TClipboard, AnsiString, &TClipboard::GetAsText, &TClipboard::SetAsText> AsText{this};
};

// The program's clipboard.
TClipboard *Clipboard();

} // namespace win
