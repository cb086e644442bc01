#include "platform/appframe/HotKey.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QThread>

#include <cstdlib>
#include <vector>

#include "platform/appframe/X11KeyGrab.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/Process.h"

namespace win {
namespace {

constexpr UINT kModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

struct Registration {
    HWND hwnd;
    int id;
    UINT modifiers;
    UINT vk;
};

// Where no display grabs keys for the desktop, the program's own key presses are
// watched: the filter sees every key event before its receiver does.
class ShortcutFilter : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
};

enum class Service { None, Display, Program };

struct HotKeys {
    std::vector<Registration> registrations;
    Service service = Service::None;
    bool recording = false;
    std::vector<RecordedHotKey> record;
    X11KeyGrab grab;
    // Dropped with deleteLater: the last hot key may go inside their own handling.
    QSocketNotifier *notifier = nullptr;
    ShortcutFilter *filter = nullptr;
};

HotKeys &State()
{
    static auto *state = new HotKeys;
    return *state;
}

bool OnGuiThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Posts WM_HOTKEY for the hot keys of that combination; true when there was one.
// A hot key whose window is gone goes too.
bool Fire(UINT vk, UINT modifiers)
{
    std::vector<Registration> hits;
    for (const Registration &r : State().registrations)
        if (r.vk == vk && r.modifiers == modifiers)
            hits.push_back(r);
    for (const Registration &r : hits)
        if (!PostMessageA(r.hwnd, WM_HOTKEY, static_cast<WPARAM>(r.id), MAKELONG(WORD(modifiers), WORD(vk))) &&
            !IsWindow(r.hwnd))
            UnregisterHotKey(r.hwnd, r.id);
    return !hits.empty();
}

void ReadDisplay()
{
    for (const auto &[vk, modifiers] : State().grab.TakePresses())
        Fire(vk, modifiers);
}

bool ShortcutFilter::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(e);
    const Qt::KeyboardModifiers held = key->modifiers();
    UINT modifiers = 0;
    if (held & Qt::AltModifier)
        modifiers |= MOD_ALT;
    if (held & Qt::ControlModifier)
        modifiers |= MOD_CONTROL;
    if (held & Qt::ShiftModifier)
        modifiers |= MOD_SHIFT;
    if (held & Qt::MetaModifier)
        modifiers |= MOD_WIN;
    WORD vk = VirtualKeyOf(key->key(), (held & Qt::KeypadModifier) != 0);
    // Taken here, the press reaches no window, as a hot key's press does not.
    return vk != 0 && Fire(vk, modifiers);
}

// Chooses the service for the first hot key: the display's key grabs on X11
// (a Wayland desktop's X server sees no keys of the other programs), else the
// program's own keys.
void StartService()
{
    HotKeys &s = State();
    if (s.service != Service::None)
        return;
    const char *display = std::getenv("DISPLAY");
    if (!QGuiApplication::platformName().startsWith(u"wayland") && display && *display && s.grab.Open()) {
        s.notifier = new QSocketNotifier(s.grab.Fd(), QSocketNotifier::Read);
        QObject::connect(s.notifier, &QSocketNotifier::activated, [] { ReadDisplay(); });
        s.service = Service::Display;
        return;
    }
    s.filter = new ShortcutFilter;
    QCoreApplication::instance()->installEventFilter(s.filter);
    s.service = Service::Program;
}

// Drops the service once no hot key is left, so that the next one chooses anew.
void StopServiceWhenUnused()
{
    HotKeys &s = State();
    if (!s.registrations.empty())
        return;
    if (s.notifier) {
        s.notifier->setEnabled(false);
        s.notifier->deleteLater();
        s.notifier = nullptr;
    }
    s.grab.Close();
    if (s.filter) {
        QCoreApplication::instance()->removeEventFilter(s.filter);
        s.filter->deleteLater();
        s.filter = nullptr;
    }
    s.service = Service::None;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL Register(HWND hWnd, int id, UINT modifiers, UINT vk)
{
    DWORD process = 0;
    if (!IsWindow(hWnd) || GetWindowThreadProcessId(hWnd, &process) == 0 || process != GetCurrentProcessId())
        return Fail(ERROR_INVALID_WINDOW_HANDLE);
    HotKeys &s = State();
    // The hot keys of windows destroyed meanwhile go first, so that they hold no
    // key any more.
    for (auto it = s.registrations.begin(); it != s.registrations.end();) {
        if (IsWindow(it->hwnd)) {
            ++it;
            continue;
        }
        if (s.service == Service::Display)
            s.grab.Ungrab(it->vk, it->modifiers);
        it = s.registrations.erase(it);
    }
    StopServiceWhenUnused();
    for (const Registration &r : s.registrations)
        if ((r.hwnd == hWnd && r.id == id) || (r.modifiers == modifiers && r.vk == vk))
            return Fail(ERROR_HOTKEY_ALREADY_REGISTERED);

    if (!s.recording)
        StartService();
    if (s.service == Service::Display) {
        X11KeyGrab::GrabResult result = s.grab.Grab(vk, modifiers);
        if (result != X11KeyGrab::GrabResult::Grabbed) {
            StopServiceWhenUnused();
            return Fail(result == X11KeyGrab::GrabResult::Refused ? ERROR_HOTKEY_ALREADY_REGISTERED
                                                                  : ERROR_INVALID_PARAMETER);
        }
        // Waiting for the grab's answer may have read events the socket will not
        // announce again.
        QMetaObject::invokeMethod(s.notifier, [] { ReadDisplay(); }, Qt::QueuedConnection);
    }
    s.registrations.push_back({hWnd, id, modifiers, vk});
    return TRUE;
}

} // namespace

BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk)
{
    if (!OnGuiThread())
        return Fail(ERROR_NOT_SUPPORTED);
    const UINT modifiers = fsModifiers & kModifiers;
    BOOL result = Register(hWnd, id, modifiers, vk);
    if (State().recording)
        State().record.push_back({hWnd, id, modifiers, vk, result});
    return result;
}

BOOL UnregisterHotKey(HWND hWnd, int id)
{
    if (!OnGuiThread())
        return Fail(ERROR_NOT_SUPPORTED);
    HotKeys &s = State();
    for (auto it = s.registrations.begin(); it != s.registrations.end(); ++it) {
        if (it->hwnd != hWnd || it->id != id)
            continue;
        if (s.service == Service::Display)
            s.grab.Ungrab(it->vk, it->modifiers);
        s.registrations.erase(it);
        StopServiceWhenUnused();
        return TRUE;
    }
    return Fail(ERROR_HOTKEY_NOT_REGISTERED);
}

void RecordHotKeys(bool on)
{
    HotKeys &s = State();
    if (s.service == Service::Display)
        for (const Registration &r : s.registrations)
            s.grab.Ungrab(r.vk, r.modifiers);
    s.registrations.clear();
    StopServiceWhenUnused();
    s.record.clear();
    s.recording = on;
}

std::vector<RecordedHotKey> RecordedHotKeys() { return State().record; }

BOOL PressHotKey(UINT modifiers, UINT vk)
{
    return State().recording && Fire(vk, modifiers & kModifiers) ? TRUE : FALSE;
}

} // namespace win
