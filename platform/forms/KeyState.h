// The held state of a key as a program asks for it while handling input.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

// Bit 15 set (a negative result) while the key is held: the state that came
// with the input message being handled, else the keyboard's own. The layer
// knows VK_SHIFT, VK_CONTROL and VK_MENU (and their left and right forms);
// other keys read as up.
SHORT GetKeyState(int nVirtKey);

// Tests hold a modifier key (VK_SHIFT, VK_CONTROL or VK_MENU) down or let it up
// as the keyboard's own state, which a message from the queue (a posted key)
// reads; input that came with its own state keeps it.
void SetTestKeyDown(int nVirtKey, bool down);

} // namespace win
