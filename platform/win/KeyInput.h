// Synthesised key presses: keybd_event puts a key going down or up into the
// input of the window that has the keyboard focus, as if the user had typed it.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

constexpr DWORD KEYEVENTF_EXTENDEDKEY = 0x0001;
constexpr DWORD KEYEVENTF_KEYUP = 0x0002;

// Posts WM_KEYDOWN or WM_KEYUP for the virtual key to the focused window of this
// process (else its active window; with neither the key is lost), with Win32's
// lParam: repeat count 1, the scan code in bits 16-23, bit 24 for an extended
// key, bit 30 when the key was already down, bit 31 for a release. F10, Alt
// (VK_MENU) going down and any key while Alt is held through this call come as
// WM_SYSKEYDOWN and WM_SYSKEYUP, with bit 29 set while Alt is held; Alt's own
// release is a WM_KEYUP, as after an Alt combination. Print Screen (VK_SNAPSHOT)
// going down first puts the picture of the program's frame on the clipboard
// (the active window, else the largest visible top-level window).
void keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, DWORD_PTR dwExtraInfo);

} // namespace win
