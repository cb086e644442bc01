#include "platform/forms/KeyState.h"

#include "platform/forms/FormTypes.h"
#include "platform/forms/WindowHost.h"

namespace win {

SHORT GetKeyState(int nVirtKey)
{
    constexpr SHORT kDown = static_cast<SHORT>(0x8000);
    const TShiftState shift = KeyboardShift();
    switch (nVirtKey) {
    case VK_SHIFT:
    case 0xA0: // VK_LSHIFT
    case 0xA1: // VK_RSHIFT
        return shift.Contains(ssShift) ? kDown : 0;
    case VK_CONTROL:
    case 0xA2: // VK_LCONTROL
    case 0xA3: // VK_RCONTROL
        return shift.Contains(ssCtrl) ? kDown : 0;
    case VK_MENU:
    case 0xA4: // VK_LMENU
    case 0xA5: // VK_RMENU
        return shift.Contains(ssAlt) ? kDown : 0;
    default:
        return 0;
    }
}

} // namespace win
