#include "platform/gdi/TBrush.h"

#include "platform/gdi/Gdi.h"

namespace win {

TBrush::~TBrush()
{
    if (handle_)
        DeleteObject(handle_);
}

void TBrush::Assign(const TBrush &other)
{
    Color = other.Color;
    Style = other.Style;
}

HBRUSH TBrush::GetHandle()
{
    COLORREF color = ColorToRGB(Color);
    if (!handle_ || Style != madeStyle_ || color != madeColor_) {
        if (handle_)
            DeleteObject(handle_);
        LOGBRUSH lb{Style == bsClear ? BS_NULL : BS_SOLID, color, 0};
        handle_ = CreateBrushIndirect(&lb);
        madeStyle_ = Style;
        madeColor_ = color;
    }
    return handle_;
}

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(int(uint32_t(color) & 0xFF));
    return COLORREF(color) & 0xFFFFFF;
}

} // namespace win
