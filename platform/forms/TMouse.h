// The mouse (the global Mouse): the pointer's position on the screen, read and
// moved.
#pragma once

#include "platform/forms/TComponent.h"
#include "platform/gdi/GraphicsTypes.h"
#include "platform/gdi/Property.h"

namespace win {

class TMouse : public TObject {
public:
    AnsiString ClassName() const override { return "TMouse"; }
    TPoint GetCursorPos() const;
    void SetCursorPos(TPoint point);

    Property<TMouse, TPoint, &TMouse::GetCursorPos, &TMouse::SetCursorPos> CursorPos{this};
};

extern TMouse *Mouse;

} // namespace win
