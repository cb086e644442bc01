#include "platform/win/MouseTracking.h"

#include <QTimer>

#include <cstdlib>
#include <memory>
#include <unordered_map>

#include "platform/win/Messages.h"
#include "platform/win/Window.h"

namespace win {

namespace {

constexpr DWORD kDefaultHoverMs = 400;
// The pointer may wander this far from where it came to rest and still hover.
constexpr int kHoverSlack = 4;

struct Tracking {
    DWORD flags = 0;
    DWORD hoverMs = kDefaultHoverMs;
    int restX = 0;
    int restY = 0;
    int x = 0;
    int y = 0;
    WPARAM keys = 0;
    std::unique_ptr<QTimer> hoverTimer;
};

struct State {
    std::unordered_map<HWND, Tracking> windows;
    // The window under the pointer, and where the pointer is in it.
    HWND pointerWindow = 0;
    int x = 0;
    int y = 0;
    WPARAM keys = 0;
};

State &S()
{
    thread_local State state;
    return state;
}

void StartHover(HWND hwnd, Tracking &t)
{
    if (!t.hoverTimer) {
        t.hoverTimer = std::make_unique<QTimer>();
        t.hoverTimer->setSingleShot(true);
        QObject::connect(t.hoverTimer.get(), &QTimer::timeout, [hwnd] {
            auto it = S().windows.find(hwnd);
            if (it == S().windows.end() || !(it->second.flags & TME_HOVER))
                return;
            Tracking &t = it->second;
            t.flags &= ~TME_HOVER;
            PostMessageA(hwnd, WM_MOUSEHOVER, t.keys,
                         static_cast<LPARAM>(MAKELONG(static_cast<WORD>(t.x), static_cast<WORD>(t.y))));
        });
    }
    t.restX = t.x;
    t.restY = t.y;
    t.hoverTimer->start(static_cast<int>(t.hoverMs));
}

void Forget(HWND hwnd)
{
    auto it = S().windows.find(hwnd);
    if (it != S().windows.end() && it->second.flags == 0)
        S().windows.erase(it);
}

} // namespace

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme)
{
    if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (tme->dwFlags & TME_QUERY) {
        auto it = S().windows.find(tme->hwndTrack);
        bool known = it != S().windows.end();
        tme->dwFlags = known ? it->second.flags : 0;
        tme->dwHoverTime = known ? it->second.hoverMs : 0;
        return TRUE;
    }
    HWND hwnd = tme->hwndTrack;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    DWORD asked = tme->dwFlags & (TME_HOVER | TME_LEAVE);
    if (tme->dwFlags & TME_CANCEL) {
        auto it = S().windows.find(hwnd);
        if (it != S().windows.end()) {
            it->second.flags &= ~asked;
            if (!(it->second.flags & TME_HOVER) && it->second.hoverTimer)
                it->second.hoverTimer->stop();
            Forget(hwnd);
        }
        return TRUE;
    }
    if (S().pointerWindow != hwnd) {
        // Not over the window: the leave is due now, a hover never comes.
        if (asked & TME_LEAVE)
            PostMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    auto [it, made] = S().windows.try_emplace(hwnd);
    Tracking &t = it->second;
    if (made) {
        t.x = S().x;
        t.y = S().y;
        t.keys = S().keys;
    }
    t.flags |= asked;
    if (asked & TME_HOVER) {
        t.hoverMs = tme->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverMs : tme->dwHoverTime;
        StartHover(hwnd, t);
    }
    return TRUE;
}

void NoteMouseMove(HWND hwnd, int x, int y, WPARAM keys)
{
    if (S().pointerWindow != hwnd && S().pointerWindow)
        NoteMouseLeave(S().pointerWindow);
    S().pointerWindow = hwnd;
    S().x = x;
    S().y = y;
    S().keys = keys;
    auto it = S().windows.find(hwnd);
    if (it == S().windows.end())
        return;
    Tracking &t = it->second;
    t.x = x;
    t.y = y;
    t.keys = keys;
    if ((t.flags & TME_HOVER) && (std::abs(x - t.restX) > kHoverSlack || std::abs(y - t.restY) > kHoverSlack))
        StartHover(hwnd, t);
}

void NoteMouseLeave(HWND hwnd)
{
    if (S().pointerWindow == hwnd)
        S().pointerWindow = 0;
    auto it = S().windows.find(hwnd);
    if (it == S().windows.end())
        return;
    bool leave = it->second.flags & TME_LEAVE;
    S().windows.erase(it);
    if (leave)
        PostMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
}

} // namespace win
