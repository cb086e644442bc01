// The mouse pointer: the system's cursors by IDC_ name, the program's own cursors
// (registered at start-up under their resource names), the shape shown over a
// window, and the pointer's position and confinement.
#pragma once

#include <cstddef>

#include "platform/win/Resource.h"
#include "platform/win/Window.h"

namespace win {

// The system's cursors (LoadCursorA with instance 0).
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDC_WAIT = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDC_CROSS = MAKEINTRESOURCEA(32515);
inline const LPCSTR IDC_UPARROW = MAKEINTRESOURCEA(32516);
inline const LPCSTR IDC_SIZENWSE = MAKEINTRESOURCEA(32642);
inline const LPCSTR IDC_SIZENESW = MAKEINTRESOURCEA(32643);
inline const LPCSTR IDC_SIZEWE = MAKEINTRESOURCEA(32644);
inline const LPCSTR IDC_SIZENS = MAKEINTRESOURCEA(32645);
inline const LPCSTR IDC_SIZEALL = MAKEINTRESOURCEA(32646);
inline const LPCSTR IDC_NO = MAKEINTRESOURCEA(32648);
inline const LPCSTR IDC_HAND = MAKEINTRESOURCEA(32649);
inline const LPCSTR IDC_APPSTARTING = MAKEINTRESOURCEA(32650);
inline const LPCSTR IDC_HELP = MAKEINTRESOURCEA(32651);

constexpr int GCL_HCURSOR = -12;

// Hit-test codes (WM_NCHITTEST, and the low word of WM_SETCURSOR's lParam).
constexpr int HTERROR = -2;
constexpr int HTNOWHERE = 0;
constexpr int HTCLIENT = 1;

// The program's cursor `name` shows as the system cursor `systemCursor` (an IDC_
// value); FALSE for an unknown system cursor or an empty name.
BOOL RegisterCursorResource(LPCSTR name, LPCSTR systemCursor);
// The program's cursor `name` is the picture in `image` (the bytes of a PNG, BMP
// or other picture file; transparent where the picture is) with its hot spot at
// (hotX, hotY); FALSE when the bytes are no picture.
BOOL RegisterCursorResource(LPCSTR name, const void *image, size_t size, int hotX, int hotY);

// Instance 0: the system cursor `name` (an IDC_ value). Any other instance: the
// program's cursor registered under `name`. Each load of one name gives the same
// handle. 0 with ERROR_RESOURCE_NAME_NOT_FOUND when there is none.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
inline HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name)
{
    return LoadCursorA(instance, name);
}

// Shows `cursor` over the window of this process under the pointer (0 hides the
// pointer there) and returns the cursor set before. It stays until the program
// sets another. 0 with ERROR_INVALID_CURSOR_HANDLE for a handle that is no cursor.
HCURSOR SetCursor(HCURSOR cursor);
constexpr DWORD ERROR_INVALID_CURSOR_HANDLE = 1402;
HCURSOR GetCursor();

// The class cursor (GCL_HCURSOR only; DefWindowProcA shows it on WM_SETCURSOR),
// also shown over `hwnd` at once. Returns the previous value; 0 with
// ERROR_INVALID_INDEX for other indexes, or with ERROR_INVALID_WINDOW_HANDLE.
LONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetClassLongPtrA(HWND hwnd, int index);
inline LONG_PTR SetClassLongA(HWND hwnd, int index, LONG_PTR value)
{
    return SetClassLongPtrA(hwnd, index, value);
}
inline LONG_PTR GetClassLongA(HWND hwnd, int index)
{
    return GetClassLongPtrA(hwnd, index);
}

// The pointer in screen coordinates. Where the display does not let a program move
// the pointer (or there is no display), the position last set is read back until
// the user moves the pointer; threads other than the GUI thread read the position
// last set or seen there.
BOOL GetCursorPos(POINT *point);
BOOL SetCursorPos(int x, int y);
// Confines the pointer to the rectangle (screen coordinates, right and bottom
// excluded; null releases it): the pointer is moved inside at once and SetCursorPos
// keeps it inside. The display does not hold the user's own movements to it; the
// windows' input handling reads it with GetClipCursor. GetClipCursor gives the
// rectangle, or the screen's when there is none.
BOOL ClipCursor(const RECT *rect);
BOOL GetClipCursor(RECT *rect);

} // namespace win
