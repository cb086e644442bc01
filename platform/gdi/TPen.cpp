#include "platform/gdi/TPen.h"

#include "platform/gdi/Gdi.h"

namespace win {

TPen::~TPen()
{
    if (handle_)
        DeleteObject(handle_);
}

void TPen::Assign(const TPen &other)
{
    Color = other.Color;
    Width = other.Width;
    Style = other.Style;
    Mode = other.Mode;
}

HPEN TPen::GetHandle()
{
    static constexpr int kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                      PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    int style = Style >= psSolid && Style <= psInsideFrame ? kStyles[Style] : PS_SOLID;
    COLORREF color = ColorToRGB(Color);
    if (!handle_ || style != madeStyle_ || Width != madeWidth_ || color != madeColor_) {
        if (handle_)
            DeleteObject(handle_);
        handle_ = CreatePen(style, Width, color);
        madeStyle_ = style;
        madeWidth_ = Width;
        madeColor_ = color;
    }
    return handle_;
}

int TPen::Rop2() const
{
    static constexpr int kModes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                     R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                     R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                     R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return Mode >= pmBlack && Mode <= pmNotXor ? kModes[Mode] : R2_COPYPEN;
}

} // namespace win
