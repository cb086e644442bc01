// The form library's pen: colour, width, style and mix mode, and the pen handle
// made from them when they change.
#pragma once

#include "platform/gdi/GraphicsTypes.h"
#include "platform/gdi/Property.h"

namespace win {

class TPen {
public:
    TPen() = default;
    ~TPen();
    TPen(const TPen &) = delete;
    TPen &operator=(const TPen &) = delete;

    void Assign(const TPen &other);
    HPEN GetHandle();
    // The mix mode (R2_ value) of Mode.
    int Rop2() const;

    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    // pmXor draws the pen XOR the picture: drawing twice restores it.
    TPenMode Mode = pmCopy;
    ReadOnlyProperty<TPen, HPEN, &TPen::GetHandle> Handle{this};

private:
    HPEN handle_ = 0;
    int madeStyle_ = 0;
    int madeWidth_ = 0;
    COLORREF madeColor_ = 0;
};

} // namespace win
