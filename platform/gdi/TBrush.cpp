#include "platform/gdi/TBrush.h"

#include "platform/gdi/Gdi.h"

namespace win {

TBrush::~TBrush()
{
    for (const Made &m : made_) {
        if (m.handle)
            DeleteObject(m.handle);
    }
}

void TBrush::Assign(const TBrush &other)
{
    Color = other.Color;
    Style = other.Style;
}

HBRUSH TBrush::GetHandle()
{
    COLORREF color = ColorToRGB(Color);
    int found = 0;
    while (found < kKept && !(made_[found].handle && made_[found].style == Style && made_[found].color == color))
        ++found;
    if (found == kKept) {
        // The least recently used one makes room.
        found = kKept - 1;
        if (made_[found].handle)
            DeleteObject(made_[found].handle);
        LOGBRUSH lb{Style == bsClear ? BS_NULL : BS_SOLID, color, 0};
        made_[found] = Made{CreateBrushIndirect(&lb), Style, color};
    }
    Made m = made_[found];
    for (int i = found; i > 0; --i)
        made_[i] = made_[i - 1];
    made_[0] = m;
    return m.handle;
}

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(int(uint32_t(color) & 0xFF));
    return COLORREF(color) & 0xFFFFFF;
}

} // namespace win
