// Global hot keys: a key combination registered for a window posts WM_HOTKEY to
// it whenever it is pressed. On an X11 display the key is grabbed for the whole
// desktop; where no display offers such a grab it works while the program has the
// keyboard focus. For tests a recorder that touches no keyboard.
#pragma once

#include <vector>

#include "platform/win/Window.h"

namespace win {

constexpr UINT MOD_ALT = 0x0001;
constexpr UINT MOD_CONTROL = 0x0002;
constexpr UINT MOD_SHIFT = 0x0004;
constexpr UINT MOD_WIN = 0x0008;

constexpr DWORD ERROR_HOTKEY_ALREADY_REGISTERED = 1409;
constexpr DWORD ERROR_HOTKEY_NOT_REGISTERED = 1419;

// Registers the virtual key `vk` with exactly the modifiers `fsModifiers` (MOD_...)
// as hot key `id` of `hWnd`, a window of this process; call it on the GUI thread.
// Each press (auto-repeat included) posts WM_HOTKEY with wParam = id and lParam =
// MAKELONG(fsModifiers, vk); the key itself goes nowhere else. FALSE with
// ERROR_HOTKEY_ALREADY_REGISTERED when the window has that id already, when the
// combination is registered already, or when another program on the display holds
// it (a refused grab); ERROR_INVALID_PARAMETER for a key the display has not;
// ERROR_INVALID_WINDOW_HANDLE for a window that is not one of this process's.
BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk);
// FALSE with ERROR_HOTKEY_NOT_REGISTERED when the window has no hot key `id`.
BOOL UnregisterHotKey(HWND hWnd, int id);

// A RegisterHotKey call as the recorder keeps it.
struct RecordedHotKey {
    HWND hWnd;
    int id;
    UINT modifiers;
    UINT vk;
    BOOL result;
};

// Switches the recorder on or off (on the GUI thread); either way the hot keys go
// and the record starts empty. While it is on, hot keys are registered and refused
// as usual (a combination registered twice is a conflict) but no key is grabbed
// or watched.
void RecordHotKeys(bool on);
std::vector<RecordedHotKey> RecordedHotKeys();
// While the recorder is on, what pressing the combination does: WM_HOTKEY posted
// to the window holding it. FALSE when none does.
BOOL PressHotKey(UINT modifiers, UINT vk);

} // namespace win
