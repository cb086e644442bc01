// The form library's font: face, height in pixels or size in points, colour,
// styles and character set, and the font handle made from them when they change.
#pragma once

#include "platform/gdi/GraphicsTypes.h"
#include "platform/gdi/Property.h"
#include "platform/win/AnsiString.h"

namespace win {

class TFont {
public:
    TFont();
    ~TFont();
    TFont(const TFont &) = delete;
    TFont &operator=(const TFont &) = delete;

    // Takes the other font's description. Between devices of different
    // resolutions (screen and printer) the size in points is kept.
    void Assign(const TFont &other);
    HFONT GetHandle();
    int GetSize() const;
    void SetSize(int points);

    // GBK face name; the default is the system's dialog font.
    AnsiString Name;
    // Negative: the character height in pixels; positive: the cell height.
    int Height = -12;
    TColor Color = clWindowText;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    // Resolution of the device the font is for (96, or the printer's).
    int PixelsPerInch = 96;
    // Points: -Height × 72 / PixelsPerInch, rounded.
    Property<TFont, int, &TFont::GetSize, &TFont::SetSize> Size{this};
    ReadOnlyProperty<TFont, HFONT, &TFont::GetHandle> Handle{this};

private:
    HFONT handle_ = 0;
    LOGFONTA made_{};
};

} // namespace win
