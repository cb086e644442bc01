// Inside the layer: the cursor a window class is registered with, recorded by
// RegisterClassA, and the default answer to WM_SETCURSOR that DefWindowProcA gives.
#pragma once

#include "platform/win/Window.h"

namespace win {

// Records (0: forgets) the cursor of the class `className`.
void SetClassCursor(LPCSTR className, HCURSOR cursor);

// WM_SETCURSOR's default: a child window's parent is asked first and a TRUE answer
// ends it; over the client area (hit-test code HTCLIENT in the low word of lParam)
// the class cursor, when the class has one, is set and the answer is TRUE.
LRESULT DefaultSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam);

} // namespace win
