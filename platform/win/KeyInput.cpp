#include "platform/win/KeyInput.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QWidget>

#include <bitset>
#include <mutex>

#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSurface.h"

namespace win {

namespace {

constexpr BYTE kMenu = 0x12;
constexpr BYTE kF10 = 0x79;
constexpr BYTE kSnapshot = 0x2C;

std::mutex keysLock;
// The keys this process's synthesised input holds down.
std::bitset<256> held;

HWND InputWindow()
{
    if (HWND focus = GetFocus())
        return focus;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        return WindowOfWidget(QApplication::activeWindow());
    return 0;
}

// Print Screen: there is no system-wide screen grab to rely on, so the
// picture of the program's own frame goes to the clipboard: the active window,
// else the largest visible top-level window.
void CopyFrameToClipboard()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QWidget *frame = QApplication::activeWindow();
    if (!frame) {
        long best = -1;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            const long area = long(w->width()) * w->height();
            if (w->isVisible() && w->isWindow() && area > best) {
                best = area;
                frame = w;
            }
        }
    }
    if (frame)
        QGuiApplication::clipboard()->setImage(frame->grab().toImage());
}

} // namespace

void keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, DWORD_PTR)
{
    const bool up = (dwFlags & KEYEVENTF_KEYUP) != 0;
    bool wasDown, alt;
    {
        std::lock_guard<std::mutex> guard(keysLock);
        wasDown = held[bVk];
        held[bVk] = !up;
        alt = held[kMenu];
    }
    LPARAM lParam = 1 | (LPARAM(bScan) << 16);
    if (dwFlags & KEYEVENTF_EXTENDEDKEY)
        lParam |= LPARAM(1) << 24;
    if (alt)
        lParam |= LPARAM(1) << 29;
    if (wasDown || up)
        lParam |= LPARAM(1) << 30;
    if (up)
        lParam |= LPARAM(1) << 31;
    const bool system = alt || bVk == kF10;
    const UINT msg = up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
    if (bVk == kSnapshot && !up)
        CopyFrameToClipboard();
    if (HWND target = InputWindow())
        PostMessageA(target, msg, bVk, lParam);
}

} // namespace win
