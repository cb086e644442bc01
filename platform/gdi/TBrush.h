// The form library's brush: colour and style (solid or clear), and the brush handle
// made from them when they change.
#pragma once

#include "platform/gdi/GraphicsTypes.h"
#include "platform/gdi/Property.h"

namespace win {

class TBrush {
public:
    TBrush() = default;
    ~TBrush();
    TBrush(const TBrush &) = delete;
    TBrush &operator=(const TBrush &) = delete;

    void Assign(const TBrush &other);
    HBRUSH GetHandle();

    TColor Color = clWhite;
    // bsClear fills nothing and draws text on a transparent background.
    TBrushStyle Style = bsSolid;
    ReadOnlyProperty<TBrush, HBRUSH, &TBrush::GetHandle> Handle{this};

private:
    HBRUSH handle_ = 0;
    TBrushStyle madeStyle_ = bsSolid;
    COLORREF madeColor_ = 0;
};

} // namespace win
