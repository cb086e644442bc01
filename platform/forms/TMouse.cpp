#include "platform/forms/TMouse.h"

#include "platform/win/Cursor.h"

namespace win {

namespace {

TMouse mouse;

} // namespace

TMouse *Mouse = &mouse;

TPoint TMouse::GetCursorPos() const
{
    POINT p{0, 0};
    win::GetCursorPos(&p);
    return p;
}

void TMouse::SetCursorPos(TPoint point) { win::SetCursorPos(point.x, point.y); }

} // namespace win
