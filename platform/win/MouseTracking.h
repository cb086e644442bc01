// Mouse-leave and hover notification: TrackMouseEvent asks for one WM_MOUSELEAVE
// when the pointer leaves a window and one WM_MOUSEHOVER when it rests in it
// for the hover time. The window hosts report the pointer's moves and leaving.
#pragma once

#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

namespace win {

constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_QUERY = 0x40000000;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
using LPTRACKMOUSEEVENT = TRACKMOUSEEVENT *;

// TME_LEAVE posts WM_MOUSELEAVE once the pointer leaves the window (at once when
// it is not over it now); TME_HOVER posts WM_MOUSEHOVER (keys, client point) once
// the pointer has rested within 4 pixels for dwHoverTime ms (HOVER_DEFAULT:
// 400). Leaving ends both requests. TME_CANCEL withdraws the flags given;
// TME_QUERY fills the structure with the window's requests. FALSE with
// ERROR_INVALID_PARAMETER for a wrong size, ERROR_INVALID_WINDOW_HANDLE for a
// window that does not exist. Called on the window's (GUI) thread.
BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme);

// For the window hosts: the pointer moved to client point (x, y) of the window
// with these keys down, or left it.
void NoteMouseMove(HWND hwnd, int x, int y, WPARAM keys);
void NoteMouseLeave(HWND hwnd);

} // namespace win
