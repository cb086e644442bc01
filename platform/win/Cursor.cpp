#include "platform/win/Cursor.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "platform/win/ClassCursor.h"
#include "platform/win/Handle.h"
#include "platform/win/WindowRecord.h"
#include "platform/win/WindowSurface.h"

namespace win {
namespace {

// What a cursor handle shows: a standard shape, or a picture with its hot spot.
struct CursorShape {
    Qt::CursorShape shape = Qt::ArrowCursor;
    QImage image;
    int hotX = 0;
    int hotY = 0;
};

struct SystemCursor {
    WORD id;
    Qt::CursorShape shape;
};

constexpr SystemCursor kSystemCursors[] = {
    {32512, Qt::ArrowCursor},     {32513, Qt::IBeamCursor},        {32514, Qt::WaitCursor},
    {32515, Qt::CrossCursor},     {32516, Qt::UpArrowCursor},      {32642, Qt::SizeFDiagCursor},
    {32643, Qt::SizeBDiagCursor}, {32644, Qt::SizeHorCursor},      {32645, Qt::SizeVerCursor},
    {32646, Qt::SizeAllCursor},   {32648, Qt::ForbiddenCursor},    {32649, Qt::PointingHandCursor},
    {32650, Qt::BusyCursor},      {32651, Qt::WhatsThisCursor},
};

struct Tables {
    std::mutex lock;
    std::map<HCURSOR, CursorShape> cursors;
    std::map<WORD, HCURSOR> system;           // by IDC_ number
    std::map<std::string, HCURSOR> program;   // by resource key
    std::map<std::string, HCURSOR> classes;   // class cursors by lower-case class name
    HCURSOR current = 0;
    // The position last set; on the GUI thread it stands for the display's own
    // while that one, which the display would not move, stays where it was.
    POINT position{0, 0};
    std::optional<QPoint> displayAtSet;
    std::optional<RECT> clip;
};

Tables &T()
{
    static auto *tables = new Tables;
    return *tables;
}

std::optional<Qt::CursorShape> SystemShape(LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return std::nullopt;
    WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
    for (const SystemCursor &c : kSystemCursors)
        if (c.id == id)
            return c.shape;
    return std::nullopt;
}

HCURSOR AddCursor(CursorShape shape)
{
    HCURSOR handle = AllocateHandleNumber();
    T().cursors[handle] = std::move(shape);
    return handle;
}

// Qt calls are made on the GUI thread of a widget application only.
bool OnGuiThread()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

bool KnownCursor(HCURSOR cursor)
{
    std::lock_guard<std::mutex> guard(T().lock);
    return T().cursors.count(cursor) != 0;
}

// 0 is the hidden pointer.
QCursor QtCursorOf(HCURSOR cursor)
{
    std::lock_guard<std::mutex> guard(T().lock);
    auto it = T().cursors.find(cursor);
    if (it == T().cursors.end())
        return QCursor(Qt::BlankCursor);
    if (it->second.image.isNull())
        return QCursor(it->second.shape);
    return QCursor(QPixmap::fromImage(it->second.image), it->second.hotX, it->second.hotY);
}

void ShowOn(HWND hwnd, HCURSOR cursor)
{
    if (!OnGuiThread())
        return;
    if (QWidget *widget = WindowWidget(hwnd))
        widget->setCursor(QtCursorOf(cursor));
}

HWND WindowUnderPointer()
{
    if (!OnGuiThread())
        return 0;
    for (QWidget *widget = QApplication::widgetAt(QCursor::pos()); widget; widget = widget->parentWidget())
        if (HWND hwnd = WindowOfWidget(widget))
            return hwnd;
    return 0;
}

POINT Clamped(POINT p, const std::optional<RECT> &clip)
{
    if (clip) {
        p.x = std::clamp(p.x, clip->left, std::max(clip->left, clip->right - 1));
        p.y = std::clamp(p.y, clip->top, std::max(clip->top, clip->bottom - 1));
    }
    return p;
}

std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

BOOL RegisterCursorResource(LPCSTR name, LPCSTR systemCursor)
{
    std::string key = ResourceKey(name);
    std::optional<Qt::CursorShape> shape = SystemShape(systemCursor);
    if (key.empty() || !shape)
        return FALSE;
    std::lock_guard<std::mutex> guard(T().lock);
    T().program[key] = AddCursor(CursorShape{*shape, QImage(), 0, 0});
    return TRUE;
}

BOOL RegisterCursorResource(LPCSTR name, const void *image, size_t size, int hotX, int hotY)
{
    std::string key = ResourceKey(name);
    QImage picture;
    if (key.empty() || !image || size == 0 || size > size_t(INT32_MAX) ||
        !picture.loadFromData(static_cast<const uchar *>(image), static_cast<int>(size)))
        return FALSE;
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    hotX = std::clamp(hotX, 0, picture.width() - 1);
    hotY = std::clamp(hotY, 0, picture.height() - 1);
    std::lock_guard<std::mutex> guard(T().lock);
    T().program[key] = AddCursor(CursorShape{Qt::ArrowCursor, std::move(picture), hotX, hotY});
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    std::lock_guard<std::mutex> guard(T().lock);
    if (instance == 0) {
        if (std::optional<Qt::CursorShape> shape = SystemShape(name)) {
            WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
            auto it = T().system.find(id);
            if (it == T().system.end())
                it = T().system.emplace(id, AddCursor(CursorShape{*shape, QImage(), 0, 0})).first;
            return it->second;
        }
    } else {
        auto it = T().program.find(ResourceKey(name));
        if (it != T().program.end())
            return it->second;
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    if (cursor && !KnownCursor(cursor)) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return 0;
    }
    HCURSOR previous;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        previous = T().current;
        T().current = cursor;
    }
    if (HWND hwnd = WindowUnderPointer())
        ShowOn(hwnd, cursor);
    return previous;
}

HCURSOR GetCursor()
{
    std::lock_guard<std::mutex> guard(T().lock);
    return T().current;
}

LONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    auto w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index != GCL_HCURSOR) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    std::string cls;
    {
        std::lock_guard<std::mutex> guard(WindowLock());
        cls = Lower(w->className);
    }
    HCURSOR previous;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        HCURSOR &slot = T().classes[cls];
        previous = slot;
        slot = static_cast<HCURSOR>(value);
    }
    if (KnownCursor(static_cast<HCURSOR>(value)))
        ShowOn(hwnd, static_cast<HCURSOR>(value));
    return previous;
}

LONG_PTR GetClassLongPtrA(HWND hwnd, int index)
{
    auto w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index != GCL_HCURSOR) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    std::string cls;
    {
        std::lock_guard<std::mutex> guard(WindowLock());
        cls = Lower(w->className);
    }
    std::lock_guard<std::mutex> guard(T().lock);
    auto it = T().classes.find(cls);
    return it == T().classes.end() ? 0 : it->second;
}

void SetClassCursor(LPCSTR className, HCURSOR cursor)
{
    if (!className)
        return;
    std::lock_guard<std::mutex> guard(T().lock);
    if (cursor)
        T().classes[Lower(className)] = cursor;
    else
        T().classes.erase(Lower(className));
}

LRESULT DefaultSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    HWND parent = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : 0;
    if (parent && SendMessageA(parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
    if (static_cast<SHORT>(LOWORD(static_cast<DWORD>(lParam))) != HTCLIENT)
        return FALSE;
    auto cursor = static_cast<HCURSOR>(GetClassLongPtrA(hwnd, GCL_HCURSOR));
    if (!cursor)
        return FALSE;
    SetCursor(cursor);
    return TRUE;
}

BOOL GetCursorPos(POINT *point)
{
    if (!point)
        return FALSE;
    bool gui = OnGuiThread();
    QPoint display = gui ? QCursor::pos() : QPoint();
    std::lock_guard<std::mutex> guard(T().lock);
    if (gui && T().displayAtSet != display) {
        T().displayAtSet.reset();
        T().position = POINT{display.x(), display.y()};
    }
    *point = T().position;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    POINT p;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        p = Clamped(POINT{x, y}, T().clip);
        T().position = p;
    }
    if (OnGuiThread()) {
        QCursor::setPos(p.x, p.y);
        QPoint display = QCursor::pos();
        std::lock_guard<std::mutex> guard(T().lock);
        T().displayAtSet = display;
    }
    return TRUE;
}

BOOL ClipCursor(const RECT *rect)
{
    {
        std::lock_guard<std::mutex> guard(T().lock);
        if (!rect) {
            T().clip.reset();
            return TRUE;
        }
        T().clip = RECT{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom),
                        std::max(rect->left, rect->right), std::max(rect->top, rect->bottom)};
    }
    POINT now;
    GetCursorPos(&now);
    POINT inside;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        inside = Clamped(now, T().clip);
    }
    if (inside.x != now.x || inside.y != now.y)
        SetCursorPos(inside.x, inside.y);
    return TRUE;
}

BOOL GetClipCursor(RECT *rect)
{
    if (!rect)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        if (T().clip) {
            *rect = *T().clip;
            return TRUE;
        }
    }
    QRect screen;
    if (OnGuiThread() && QGuiApplication::primaryScreen())
        screen = QGuiApplication::primaryScreen()->virtualGeometry();
    *rect = RECT{screen.left(), screen.top(), screen.left() + screen.width(), screen.top() + screen.height()};
    return TRUE;
}

} // namespace win
