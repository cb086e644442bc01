#include "platform/forms/KeyState.h"

#include "platform/forms/FormTypes.h"
#include "platform/forms/WindowHost.h"

#include <atomic>

namespace win {

namespace {

// Bit 0 Shift, bit 1 Ctrl, bit 2 Alt: the keys a test holds down.
std::atomic<unsigned> testHeld{0};

unsigned TestBit(int nVirtKey)
{
    switch (nVirtKey) {
    case VK_SHIFT: return 1;
    case VK_CONTROL: return 2;
    case VK_MENU: return 4;
    default: return 0;
    }
}

} // namespace

void SetTestKeyDown(int nVirtKey, bool down)
{
    if (down)
        testHeld |= TestBit(nVirtKey);
    else
        testHeld &= ~TestBit(nVirtKey);
}

SHORT GetKeyState(int nVirtKey)
{
    constexpr SHORT kDown = static_cast<SHORT>(0x8000);
    TShiftState shift = KeyboardShift();
    if (!CurrentInput().fromQt) {
        const unsigned held = testHeld;
        if (held & 1)
            shift << ssShift;
        if (held & 2)
            shift << ssCtrl;
        if (held & 4)
            shift << ssAlt;
    }
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
