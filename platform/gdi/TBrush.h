// The form library's brush: colour and style (solid or clear), and the brush handle
// made from them. The handles of the last few colours are kept, as painters switch
// between a few brushes cell by cell.
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
    struct Made {
        HBRUSH handle = 0;
        TBrushStyle style = bsSolid;
        COLORREF color = 0;
    };
    static constexpr int kKept = 4;
    // The handle last given out first, then the others by last use.
    Made made_[kKept];
};

} // namespace win
