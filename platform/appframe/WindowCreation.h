// Inside the framework: the making of windows, so that the standard control
// classes ("Edit", "Button", ...) get the widget their class procedure makes
// instead of a window image of their own. Not for program code.
#pragma once

#include "platform/win/Window.h"

namespace win {

// Registers a control class whose procedure makes its own widget on
// WM_NCCREATE; idempotent.
void RegisterWidgetClass(LPCSTR className, WNDPROC proc, UINT classStyle);
bool IsWidgetClass(LPCSTR className);

// CreateWindowExA for the framework: windows of other classes get a window image
// of their own (painted through WM_PAINT). Installs the window hosting first.
HWND CreateFrameworkWindow(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                           int width, int height, HWND parent, UINT id, LPVOID param);

// Lets the framework's PreTranslateMessage chain see queued and input messages
// first (the application's message hook); idempotent.
void InstallPreTranslateHook();

} // namespace win
