#include "platform/appframe/Tray.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QThread>

#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/forms/WindowHost.h"
#include "platform/gdi/IconImage.h"
#include "platform/win/Messages.h"
#include "platform/win/Text.h"

namespace win {
namespace {

struct TrayIcon {
    bool hasCallback = false;
    UINT callback = 0;
    HICON icon = 0;
    std::string tip;
    QSystemTrayIcon *shown = nullptr; // null under the recorder
};

using IconKey = std::pair<HWND, UINT>;

std::mutex trayLock;
bool recording = false;
std::vector<RecordedTrayCall> calls;
std::map<IconKey, TrayIcon> &Icons()
{
    static auto *icons = new std::map<IconKey, TrayIcon>;
    return *icons;
}

bool OnGuiThread()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

// The tip as Windows shows it: up to the first NUL, at most 63 bytes.
std::string TipOf(const NOTIFYICONDATAA &data)
{
    size_t length = 0;
    while (length < sizeof data.szTip && data.szTip[length])
        ++length;
    return GbkCut(std::string_view(data.szTip, length), sizeof data.szTip - 1);
}

UINT MouseMessageOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONUP;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    default:
        return 0;
    }
}

void Retire(TrayIcon &icon)
{
    if (icon.shown) {
        icon.shown->hide();
        icon.shown->deleteLater();
        icon.shown = nullptr;
    }
}

void ShowIcon(TrayIcon &icon)
{
    QImage image = IconImage(icon.icon);
    icon.shown->setIcon(image.isNull() ? QApplication::windowIcon() : QIcon(QPixmap::fromImage(image)));
}

// Posts the icon's callback message for a click; an icon whose window is gone
// goes too.
BOOL Click(IconKey key, UINT mouseMessage)
{
    std::unique_lock<std::mutex> guard(trayLock);
    auto it = Icons().find(key);
    if (it == Icons().end())
        return FALSE;
    if (!IsWindow(key.first)) {
        Retire(it->second);
        Icons().erase(it);
        return FALSE;
    }
    if (!it->second.hasCallback || mouseMessage == 0)
        return FALSE;
    UINT callback = it->second.callback;
    guard.unlock();
    return PostMessageA(key.first, callback, key.second, static_cast<LPARAM>(mouseMessage));
}

// Without a tray a window hidden to it would be out of reach: it is shown
// minimised instead, once the caller's handling of its hiding is over.
void MinimiseInstead(HWND hwnd)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [hwnd] {
            if (IsWindow(hwnd) && !IsWindowVisible(hwnd))
                ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
        },
        Qt::QueuedConnection);
}

BOOL Apply(DWORD message, const NOTIFYICONDATAA &data)
{
    const IconKey key{data.hWnd, data.uID};
    auto &icons = Icons();
    auto it = icons.find(key);
    switch (message) {
    case NIM_ADD: {
        if (it != icons.end())
            break;
        bool real = !recording;
        if (real && !QSystemTrayIcon::isSystemTrayAvailable()) {
            SetLastError(ERROR_NOT_SUPPORTED);
            MinimiseInstead(data.hWnd);
            return FALSE;
        }
        TrayIcon icon;
        icon.hasCallback = (data.uFlags & NIF_MESSAGE) != 0;
        icon.callback = data.uCallbackMessage;
        icon.icon = (data.uFlags & NIF_ICON) ? data.hIcon : 0;
        icon.tip = (data.uFlags & NIF_TIP) ? TipOf(data) : std::string();
        if (real) {
            icon.shown = new QSystemTrayIcon;
            ShowIcon(icon);
            icon.shown->setToolTip(QtText(icon.tip));
            QObject::connect(icon.shown, &QSystemTrayIcon::activated,
                             [key](QSystemTrayIcon::ActivationReason reason) { Click(key, MouseMessageOf(reason)); });
            icon.shown->show();
        }
        icons.emplace(key, std::move(icon));
        return TRUE;
    }
    case NIM_MODIFY: {
        if (it == icons.end())
            break;
        TrayIcon &icon = it->second;
        if (data.uFlags & NIF_MESSAGE) {
            icon.hasCallback = true;
            icon.callback = data.uCallbackMessage;
        }
        if (data.uFlags & NIF_ICON) {
            icon.icon = data.hIcon;
            if (icon.shown)
                ShowIcon(icon);
        }
        if (data.uFlags & NIF_TIP) {
            icon.tip = TipOf(data);
            if (icon.shown)
                icon.shown->setToolTip(QtText(icon.tip));
        }
        return TRUE;
    }
    case NIM_DELETE:
        if (it == icons.end())
            break;
        Retire(it->second);
        icons.erase(it);
        return TRUE;
    default:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

} // namespace

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data)
{
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A window's icon may be removed after the window has gone, not made for one.
    if (message != NIM_DELETE && !IsWindow(data->hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(trayLock);
    if (!recording && !OnGuiThread()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL result = Apply(message, *data);
    if (recording)
        calls.push_back({message, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon,
                         (data->uFlags & NIF_TIP) ? TipOf(*data) : std::string(), result});
    return result;
}

void RecordTrayIcons(bool on)
{
    std::lock_guard<std::mutex> guard(trayLock);
    for (auto &[key, icon] : Icons())
        Retire(icon);
    Icons().clear();
    calls.clear();
    recording = on;
}

std::vector<RecordedTrayCall> RecordedTrayCalls()
{
    std::lock_guard<std::mutex> guard(trayLock);
    return calls;
}

BOOL ClickTrayIcon(HWND hWnd, UINT id, UINT mouseMessage)
{
    {
        std::lock_guard<std::mutex> guard(trayLock);
        if (!recording)
            return FALSE;
    }
    return Click({hWnd, id}, mouseMessage);
}

} // namespace win
