#include "platform/forms/WindowHost.h"

#include "platform/forms/KeyState.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>
#include <vector>
#include <unordered_map>

#include "platform/gdi/QtSurface.h"
#include "platform/win/Cursor.h"
#include "platform/win/MouseTracking.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"
#include "platform/win/WindowRecord.h"

namespace win {

// Set by the form library while it creates a control's window: such a window
// brings its own widget, so the factory leaves it alone.
extern thread_local bool creatingControlWindow;

namespace {

std::unordered_map<HWND, HostWidget *> &Hosts()
{
    static auto *hosts = new std::unordered_map<HWND, HostWidget *>;
    return *hosts;
}

// True while the layer itself hands a Qt event to a widget.
bool injecting = false;
// The window that last lost the focus (WM_SETFOCUS carries it).
HWND lastFocus = 0;
// The lead byte of a double-byte character given by WM_CHAR, waiting for its trail.
int pendingLead = -1;

struct KeyPair {
    int qt;
    WORD vk;
};

constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},          {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},      {Qt::Key_Return, VK_RETURN},    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},      {Qt::Key_Control, VK_CONTROL},  {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},      {Qt::Key_PageUp, VK_PRIOR},     {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},        {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},            {Qt::Key_Right, VK_RIGHT},      {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},   {Qt::Key_Insert, VK_INSERT},    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_NumLock, VK_NUMLOCK},  {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},      {Qt::Key_Equal, VK_OEM_PLUS},   {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},   {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Question, VK_OEM_2},   {Qt::Key_QuoteLeft, VK_OEM_3},  {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},        {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
};

bool IsKeyMessage(UINT m)
{
    return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP ||
           m == WM_SYSCHAR;
}

bool IsMouseMessage(UINT m) { return m >= WM_MOUSEMOVE && m <= WM_MOUSEWHEEL; }

// Shows an input message to the application's hook, then hands it to the window
// procedure; true when either consumed it.
bool Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, TShiftState shift)
{
    QPoint cursor = QCursor::pos();
    MSG msg{hwnd, message, wParam, lParam, GetTickCount(), {cursor.x(), cursor.y()}};
    if ((IsKeyMessage(message) || IsMouseMessage(message)) && RunApplicationMessageHook(msg))
        return true;
    InputState saved = CurrentInput();
    CurrentInput() = InputState{true, false, shift};
    SendMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    bool consumed = CurrentInput().consumed;
    CurrentInput() = saved;
    return consumed;
}

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton)
{
    TShiftState s;
    if (mods & Qt::ShiftModifier)
        s << ssShift;
    if (mods & Qt::ControlModifier)
        s << ssCtrl;
    if (mods & Qt::AltModifier)
        s << ssAlt;
    if (buttons & Qt::LeftButton)
        s << ssLeft;
    if (buttons & Qt::RightButton)
        s << ssRight;
    if (buttons & Qt::MiddleButton)
        s << ssMiddle;
    return s;
}

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    WPARAM k = 0;
    if (buttons & Qt::LeftButton)
        k |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        k |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        k |= MK_CONTROL;
    return k;
}

LPARAM PointParam(QPoint p)
{
    return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(p.x()), static_cast<WORD>(p.y())));
}

bool HasDoubleClicks(HWND hwnd)
{
    auto w = FindLocalWindow(hwnd);
    return w && (w->classStyle & CS_DBLCLKS);
}

// Keeps the pointer inside the rectangle ClipCursor set: a position outside it is
// moved to its nearest point inside, where the pointer is put too.
QPoint ClippedPosition(QMouseEvent *m)
{
    QPoint pos = m->position().toPoint();
    QPoint global = m->globalPosition().toPoint();
    RECT clip;
    if (!GetClipCursor(&clip) || clip.right <= clip.left || clip.bottom <= clip.top)
        return pos;
    QPoint inside(std::clamp(global.x(), int(clip.left), int(clip.right) - 1),
                  std::clamp(global.y(), int(clip.top), int(clip.bottom) - 1));
    if (inside == global)
        return pos;
    SetCursorPos(inside.x(), inside.y());
    return pos + (inside - global);
}

bool TranslateMouse(HWND hwnd, QMouseEvent *m)
{
    QPoint pos = ClippedPosition(m);
    WPARAM keys = MouseKeys(m->buttons(), m->modifiers());
    TShiftState shift = ShiftOf(m->modifiers(), m->buttons());
    UINT msg = 0;
    auto pick = [&](UINT left, UINT right, UINT middle) {
        switch (m->button()) {
        case Qt::LeftButton:
            return left;
        case Qt::RightButton:
            return right;
        case Qt::MiddleButton:
            return middle;
        default:
            return 0u;
        }
    };
    switch (m->type()) {
    case QEvent::MouseButtonPress:
        msg = pick(WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
        break;
    case QEvent::MouseButtonDblClick:
        if (HasDoubleClicks(hwnd)) {
            msg = pick(WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, 0x0209);
            shift << ssDouble;
        } else {
            msg = pick(WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
        }
        break;
    case QEvent::MouseButtonRelease:
        msg = pick(WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP);
        break;
    default:
        msg = WM_MOUSEMOVE;
        break;
    }
    if (msg == 0)
        return false;
    // As on Windows, the window under the pointer is asked for its cursor before
    // each mouse message.
    SendMessageA(hwnd, WM_SETCURSOR, hwnd, MAKELONG(HTCLIENT, msg));
    NoteMouseMove(hwnd, pos.x(), pos.y(), keys);
    // A press captures the mouse for its control until the last button is
    // released; the control then hears that it lost the capture, as on Windows.
    static HWND implicitCapture = 0;
    const bool press = m->type() == QEvent::MouseButtonPress || m->type() == QEvent::MouseButtonDblClick;
    if (press)
        implicitCapture = hwnd;
    const bool handled = Deliver(hwnd, msg, keys, PointParam(pos), shift);
    if (m->type() == QEvent::MouseButtonRelease && m->buttons() == Qt::NoButton && implicitCapture) {
        const HWND holder = implicitCapture;
        implicitCapture = 0;
        SendMessageA(holder, WM_CAPTURECHANGED, 0, 0);
    }
    return handled;
}

bool TranslateKey(HWND hwnd, QKeyEvent *k)
{
    bool keypad = (k->modifiers() & Qt::KeypadModifier) != 0;
    WORD vk = VirtualKeyOf(k->key(), keypad);
    bool alt = (k->modifiers() & Qt::AltModifier) != 0;
    bool press = k->type() == QEvent::KeyPress;
    TShiftState shift = ShiftOf(k->modifiers());
    if (vk != 0) {
        bool sys = alt || vk == VK_F10;
        UINT msg = press ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        LPARAM lp = 1 | (LPARAM(k->nativeScanCode() & 0xFF) << 16);
        if (keypad && vk == VK_RETURN)
            lp |= LPARAM(1) << 24;
        if (vk >= VK_PRIOR && vk <= VK_DELETE && !keypad)
            lp |= LPARAM(1) << 24;
        if (alt)
            lp |= LPARAM(1) << 29;
        if (!press)
            lp |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
        else if (k->isAutoRepeat())
            lp |= LPARAM(1) << 30;
        if (Deliver(hwnd, msg, vk, lp & 0xFFFFFFFF, shift))
            return true;
    }
    if (!press || k->text().isEmpty())
        return false;
    std::string bytes = Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t *>(k->text().utf16()),
                                                      static_cast<size_t>(k->text().size())));
    for (char c : bytes)
        if (Deliver(hwnd, alt ? WM_SYSCHAR : WM_CHAR, static_cast<unsigned char>(c), 1, shift))
            return true;
    return false;
}

} // namespace

InputState &CurrentInput()
{
    static thread_local InputState state;
    return state;
}

TShiftState KeyboardShift()
{
    if (CurrentInput().fromQt)
        return CurrentInput().shift;
    return ShiftOf(QGuiApplication::queryKeyboardModifiers());
}

TShiftState MouseShift(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s << ssShift;
    if (keys & MK_CONTROL)
        s << ssCtrl;
    if (keys & MK_LBUTTON)
        s << ssLeft;
    if (keys & MK_RBUTTON)
        s << ssRight;
    if (keys & MK_MBUTTON)
        s << ssMiddle;
    if (CurrentInput().fromQt && CurrentInput().shift.Contains(ssAlt))
        s << ssAlt;
    if (CurrentInput().fromQt && CurrentInput().shift.Contains(ssDouble))
        s << ssDouble;
    return s;
}

WORD VirtualKeyOf(int qtKey, bool keypad)
{
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return static_cast<WORD>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
        switch (qtKey) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Period:
            return VK_DECIMAL;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        default:
            break;
        }
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<WORD>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<WORD>(VK_F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Slash:
        return VK_OEM_2;
    case Qt::Key_Minus:
        return VK_OEM_MINUS;
    case Qt::Key_Plus:
        return VK_OEM_PLUS;
    case Qt::Key_Period:
        return VK_OEM_PERIOD;
    case Qt::Key_Asterisk:
        return '8';
    default:
        break;
    }
    for (const KeyPair &p : kKeys)
        if (p.qt == qtKey)
            return p.vk;
    return 0;
}

int QtKeyOf(WORD vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return vk;
    if (vk >= VK_F1 && vk <= VK_F1 + 23)
        return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return Qt::Key_0 + (vk - VK_NUMPAD0);
    switch (vk) {
    case VK_MULTIPLY:
        return Qt::Key_Asterisk;
    case VK_ADD:
        return Qt::Key_Plus;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        return Qt::Key_Minus;
    case VK_DECIMAL:
    case VK_OEM_PERIOD:
        return Qt::Key_Period;
    case VK_DIVIDE:
    case VK_OEM_2:
        return Qt::Key_Slash;
    default:
        break;
    }
    for (const KeyPair &p : kKeys)
        if (p.vk == vk)
            return p.qt;
    return 0;
}

// The character a key-down types on a US keyboard, as the message loop's
// translation of a queued key-down makes it: printable keys only, and none while
// Ctrl or Alt is held (those are commands, not typing).
QString TypedText(WORD vk, TShiftState shift)
{
    if (shift.Contains(ssCtrl) || shift.Contains(ssAlt))
        return QString();
    const bool upper = shift.Contains(ssShift);
    char c = 0;
    if (vk >= 'A' && vk <= 'Z')
        c = upper ? char(vk) : char(vk - 'A' + 'a');
    else if (vk >= '0' && vk <= '9')
        c = upper ? ")!@#$%^&*("[vk - '0'] : char(vk);
    else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        c = char('0' + (vk - VK_NUMPAD0));
    else {
        static const struct {
            WORD vk;
            char plain, shifted;
        } keys[] = {{VK_SPACE, ' ', ' '},      {VK_MULTIPLY, '*', '*'},  {VK_ADD, '+', '+'},
                    {VK_SUBTRACT, '-', '-'},   {VK_DECIMAL, '.', '.'},   {VK_DIVIDE, '/', '/'},
                    {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'},  {VK_OEM_COMMA, ',', '<'},
                    {VK_OEM_MINUS, '-', '_'},  {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
                    {VK_OEM_3, '`', '~'},      {VK_OEM_4, '[', '{'},     {VK_OEM_5, '\\', '|'},
                    {VK_OEM_6, ']', '}'},      {VK_OEM_7, '\'', '"'}};
        for (const auto &k : keys)
            if (k.vk == vk)
                c = upper ? k.shifted : k.plain;
    }
    return c ? QString(QChar(c)) : QString();
}

// The modifier keys held for a queued key, as GetKeyState reports them.
TShiftState HeldKeys()
{
    TShiftState held;
    if (GetKeyState(VK_SHIFT) < 0)
        held << ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        held << ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        held << ssAlt;
    return held;
}

HostWidget::HostWidget(QWidget *parent, HWND hwnd) : QWidget(parent), hwnd_(0)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    SetWindow(hwnd);
}

HostWidget::~HostWidget() { SetWindow(0); }

void HostWidget::SetWindow(HWND hwnd)
{
    if (hwnd_ && Hosts().count(hwnd_) && Hosts()[hwnd_] == this)
        Hosts().erase(hwnd_);
    hwnd_ = hwnd;
    if (hwnd_)
        Hosts()[hwnd_] = this;
}

void HostWidget::Invalidate(const QRect *rect, bool erase)
{
    QRect r = rect ? rect->intersected(All()) : All();
    if (r.isEmpty())
        return;
    invalid_ |= r;
    erase_ = erase_ || erase;
    update(r);
}

void HostWidget::SendPaint()
{
    painting_ = true;
    SendMessageA(hwnd_, WM_PAINT, 0, 0);
    // A procedure that did not paint leaves the area validated, as the default
    // handling does.
    invalid_ = QRegion();
    erase_ = false;
    painting_ = false;
}

void HostWidget::PaintNow()
{
    if (!image_ && paintsItself_ && paintsItself_())
        KeepImage();
    if (!image_) {
        // Painted through Qt now, when shown (a hidden window is painted when it
        // is shown, as on Windows).
        if (!invalid_.isEmpty() && hwnd_ && isVisible())
            repaint(invalid_);
        return;
    }
    if (!invalid_.isEmpty() && hwnd_)
        SendPaint();
    update();
}

QRect HostWidget::TakeUpdate(bool &erase)
{
    QRect r = invalid_.boundingRect();
    erase = erase_;
    invalid_ = QRegion();
    erase_ = false;
    return r;
}

bool HostWidget::event(QEvent *e)
{
    if (e->type() == QEvent::Close && hwnd_ && !injecting) {
        e->ignore();
        SendMessageA(hwnd_, WM_CLOSE, 0, 0);
        return true;
    }
    if (hwnd_ && (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate))
        SendMessageA(hwnd_, WM_ACTIVATE, e->type() == QEvent::WindowActivate ? 1 : 0, 0);
    if (TranslateQtInput(hwnd_, this, e))
        return true;
    return QWidget::event(e);
}

namespace {

// Scratch images for windows without their own, one per paint in progress
// (painting one window may paint another), grown to the largest window painted.
struct Scratch {
    std::shared_ptr<QImage> image = std::make_shared<QImage>();
    bool busy = false;
};

std::vector<Scratch> &ScratchImages()
{
    static auto *pool = new std::vector<Scratch>;
    return *pool;
}

class ScratchLease {
public:
    ScratchLease(QSize size)
    {
        auto &pool = ScratchImages();
        for (index_ = 0; index_ < pool.size() && pool[index_].busy; ++index_) {
        }
        if (index_ == pool.size())
            pool.emplace_back();
        Scratch &s = pool[index_];
        s.busy = true;
        if (s.image->width() < size.width() || s.image->height() < size.height())
            *s.image = QImage(std::max(size.width(), s.image->width()), std::max(size.height(), s.image->height()),
                              QImage::Format_RGB32);
        image_ = s.image;
    }
    ~ScratchLease() { ScratchImages()[index_].busy = false; }
    ScratchLease(const ScratchLease &) = delete;
    ScratchLease &operator=(const ScratchLease &) = delete;
    const std::shared_ptr<QImage> &Image() const { return image_; }

private:
    size_t index_ = 0;
    std::shared_ptr<QImage> image_;
};

} // namespace

std::shared_ptr<QImage> HostWidget::Surface()
{
    if (scratch_)
        return scratch_;
    KeepImage();
    return image_;
}

void HostWidget::KeepImage()
{
    if (image_)
        return;
    image_ = std::make_shared<QImage>();
    SizeImage();
    // What the window shows now is painted into its image.
    invalid_ = All();
    erase_ = true;
    if (hwnd_ && isVisible() && !painting_)
        SendPaint();
    update();
}

void HostWidget::SizeImage()
{
    int w = size_.width();
    int h = size_.height();
    const QImage &old = *image_;
    // The image may have been detached from the buffer (a copy of it was drawn
    // on); its pixels are then the ones to carry over.
    bool inBuffer = !buffer_.isNull() && !old.isNull() && old.constBits() == buffer_.constBits();
    if (!inBuffer || w > buffer_.width() || h > buffer_.height()) {
        // A window that grows once is likely to grow again: room for a quarter more.
        int cw = w;
        int ch = h;
        if (inBuffer) {
            cw = w > buffer_.width() ? std::max(w, buffer_.width() + buffer_.width() / 4) : buffer_.width();
            ch = h > buffer_.height() ? std::max(h, buffer_.height() + buffer_.height() / 4) : buffer_.height();
        }
        QImage next(cw, ch, QImage::Format_RGB32);
        next.fill(0xFF000000u | fill_);
        if (!old.isNull()) {
            int cols = std::min(old.width(), cw);
            int rows = std::min(old.height(), ch);
            for (int y = 0; y < rows; ++y)
                std::memcpy(next.scanLine(y), old.constScanLine(y), size_t(cols) * 4);
        }
        buffer_ = std::move(next);
        *image_ = QImage(buffer_.bits(), w, h, buffer_.bytesPerLine(), QImage::Format_RGB32);
        return;
    }
    // The same pixels seen at the new size; what the window gains starts in the fill colour.
    int oldW = old.isNull() ? 0 : old.width();
    int oldH = old.isNull() ? 0 : old.height();
    *image_ = QImage(buffer_.bits(), w, h, buffer_.bytesPerLine(), QImage::Format_RGB32);
    uint32_t fill = 0xFF000000u | fill_;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<uint32_t *>(buffer_.scanLine(y));
        int from = y < oldH ? oldW : 0;
        std::fill(line + std::min(from, w), line + w, fill);
    }
}

void HostWidget::PaintOnScratch(const QRegion &area)
{
    QPainter p(this);
    QRect box = area.boundingRect();
    if (!hwnd_) {
        p.fillRect(box, QColor::fromRgb(fill_));
        return;
    }
    // Marked areas outside this paint wait for their own; an area Qt asks for
    // that was not marked is exposed, and erased as on Windows.
    QRegion rest = invalid_ - area;
    if (!(area - invalid_).isEmpty())
        erase_ = true;
    invalid_ = area;
    ScratchLease lease(size_);
    // The scratch holds another window's pixels: the area starts in the fill colour.
    {
        QPainter fill(lease.Image().get());
        fill.fillRect(box, QColor::fromRgb(fill_));
    }
    scratch_ = lease.Image();
    SendPaint();
    scratch_.reset();
    // The procedure may have made this window keep an image (drawing on it
    // through GetDC): the image is what the window shows then.
    p.drawImage(box, image_ ? *image_ : *lease.Image(), box);
    invalid_ = rest;
    if (!rest.isEmpty())
        update(rest);
}

void HostWidget::paintEvent(QPaintEvent *e)
{
    if (!image_ && paintsItself_ && paintsItself_())
        KeepImage();
    if (!image_) {
        PaintOnScratch(e->region());
        return;
    }
    if (!invalid_.isEmpty() && hwnd_)
        SendPaint();
    QPainter p(this);
    p.drawImage(e->rect(), *image_, e->rect());
}

void HostWidget::resizeEvent(QResizeEvent *) { SyncSize(); }

void HostWidget::SyncSize()
{
    QSize size(std::max(1, width()), std::max(1, height()));
    if (size != size_) {
        size_ = size;
        if (image_)
            SizeImage();
    } else if (sized_) {
        return;
    }
    sized_ = true;
    Invalidate(nullptr, true);
    if (!hwnd_)
        return;
    SendMessageA(hwnd_, WM_SIZE, SIZE_RESTORED, MAKELONG(static_cast<WORD>(width()), static_cast<WORD>(height())));
    // A window that resizes itself in WM_SIZE while Qt hands it the resize
    // pending from before it was shown gets no event for that new size (Qt
    // drops it with the pending one): the size is taken here instead.
    if (QSize(std::max(1, width()), std::max(1, height())) != size_)
        SyncSize();
}

QString QtText(const std::string &gbk)
{
    std::u16string u = GbkToUtf16(gbk);
    return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string GbkText(const QString &text)
{
    return Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()),
                                          static_cast<size_t>(text.size())));
}

namespace {

std::function<void(HWND)> &HoverHook()
{
    static auto *hook = new std::function<void(HWND)>;
    return *hook;
}

// The key event translated last: Qt hands a key the focus widget ignored on to
// its parents, which must not see it as input of their own.
const QEvent *lastEvent = nullptr;
quint64 lastStamp = 0;

} // namespace

void SetHoverHook(std::function<void(HWND)> hook) { HoverHook() = std::move(hook); }

namespace {

// A press on a window whose top-level window is not the active one first asks
// the window under the pointer (which asks its parents) whether the click
// activates: MA_ACTIVATE and MA_ACTIVATEANDEAT activate the top-level window,
// MA_NOACTIVATE and MA_NOACTIVATEANDEAT leave the active window as it is; the
// ...ANDEAT answers swallow the click.
bool MouseActivate(HWND hwnd, QWidget *widget, QMouseEvent *m)
{
    QWidget *top = widget ? widget->window() : nullptr;
    QWidget *active = QApplication::activeWindow();
    if (!top || top == active || top->windowType() == Qt::Popup || top->windowType() == Qt::ToolTip)
        return TranslateMouse(hwnd, m);
    UINT msg = WM_LBUTTONDOWN;
    if (m->button() == Qt::RightButton)
        msg = WM_RBUTTONDOWN;
    else if (m->button() == Qt::MiddleButton)
        msg = WM_MBUTTONDOWN;
    const HWND topHwnd = WindowOfWidget(top);
    LRESULT answer = SendMessageA(hwnd, WM_MOUSEACTIVATE, topHwnd, MAKELONG(HTCLIENT, msg));
    if (answer < MA_ACTIVATE || answer > MA_NOACTIVATEANDEAT)
        answer = MA_ACTIVATE;
    const bool activate = answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT;
    const bool eat = answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
    QPointer<QWidget> keep = active;
    if (activate)
        top->activateWindow();
    const bool handled = eat || TranslateMouse(hwnd, m);
    // Whatever the click did to the activation (the window manager's own
    // activation on a click included), an inactive window stays inactive.
    if (!activate && keep && QApplication::activeWindow() != keep)
        keep->activateWindow();
    return handled;
}

} // namespace

bool TranslateQtInput(HWND hwnd, QWidget *widget, QEvent *e)
{
    if (!hwnd || injecting)
        return false;
    // Mouse events are not handed on (the controls' widgets stop them); key
    // events are, as the same object.
    if (e->isInputEvent() && !dynamic_cast<QMouseEvent *>(e)) {
        quint64 stamp = static_cast<QInputEvent *>(e)->timestamp();
        if (e == lastEvent && stamp == lastStamp)
            return false;
        lastEvent = e;
        lastStamp = stamp;
    }
    switch (e->type()) {
    case QEvent::Enter:
        if (HoverHook())
            HoverHook()(hwnd);
        return false;
    case QEvent::Leave:
        NoteMouseLeave(hwnd);
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return MouseActivate(hwnd, widget, static_cast<QMouseEvent *>(e));
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return TranslateMouse(hwnd, static_cast<QMouseEvent *>(e));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return TranslateKey(hwnd, static_cast<QKeyEvent *>(e));
    case QEvent::Wheel: {
        auto *w = static_cast<QWheelEvent *>(e);
        QPoint g = w->globalPosition().toPoint();
        WPARAM wp = MouseKeys(w->buttons(), w->modifiers()) |
                    (WPARAM(static_cast<WORD>(static_cast<int16_t>(w->angleDelta().y()))) << 16);
        return Deliver(hwnd, WM_MOUSEWHEEL, wp, PointParam(g), ShiftOf(w->modifiers(), w->buttons()));
    }
    case QEvent::FocusIn: {
        HWND previous = lastFocus == hwnd ? 0 : lastFocus;
        SendMessageA(hwnd, WM_SETFOCUS, previous, 0);
        return false;
    }
    case QEvent::FocusOut:
        lastFocus = hwnd;
        SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
        return false;
    default:
        return false;
    }
}

bool InjectInput(QWidget *widget, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!widget)
        return false;
    QWidget *target = widget->focusProxy() ? widget->focusProxy() : widget;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    TShiftState shift = KeyboardShift();
    if (shift.Contains(ssShift))
        mods |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl))
        mods |= Qt::ControlModifier;
    auto send = [&](QEvent &ev) {
        bool saved = injecting;
        injecting = true;
        QCoreApplication::sendEvent(target, &ev);
        injecting = saved;
    };
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        int key = QtKeyOf(static_cast<WORD>(wParam));
        if (key == 0)
            return false;
        bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
        // A queued key-down types its character, as the translation of the
        // program's message loop would have it typed.
        QKeyEvent ev(down ? QEvent::KeyPress : QEvent::KeyRelease, key, mods,
                     msg == WM_KEYDOWN ? TypedText(static_cast<WORD>(wParam), HeldKeys()) : QString(),
                     down && (lParam & (LPARAM(1) << 30)) != 0);
        send(ev);
        return true;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
        auto c = static_cast<unsigned char>(wParam & 0xFF);
        std::string bytes;
        if (pendingLead >= 0) {
            bytes.push_back(static_cast<char>(pendingLead));
            pendingLead = -1;
        } else if (IsGbkLeadByte(c)) {
            pendingLead = c;
            return true;
        }
        bytes.push_back(static_cast<char>(c));
        int key = Qt::Key_unknown;
        switch (c) {
        case '\r':
            key = Qt::Key_Return;
            break;
        case '\b':
            key = Qt::Key_Backspace;
            break;
        case '\t':
            key = Qt::Key_Tab;
            break;
        case 0x1B:
            key = Qt::Key_Escape;
            break;
        default:
            break;
        }
        std::u16string text = GbkToUtf16(bytes);
        QKeyEvent ev(QEvent::KeyPress, key, mods,
                     QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
        send(ev);
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE: {
        QPointF pos(static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                    static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam))));
        QEvent::Type type = QEvent::MouseMove;
        Qt::MouseButton button = Qt::NoButton;
        switch (msg) {
        case WM_LBUTTONDOWN:
            type = QEvent::MouseButtonPress;
            button = Qt::LeftButton;
            break;
        case WM_LBUTTONDBLCLK:
            type = QEvent::MouseButtonDblClick;
            button = Qt::LeftButton;
            break;
        case WM_LBUTTONUP:
            type = QEvent::MouseButtonRelease;
            button = Qt::LeftButton;
            break;
        case WM_RBUTTONDOWN:
            type = QEvent::MouseButtonPress;
            button = Qt::RightButton;
            break;
        case WM_RBUTTONUP:
            type = QEvent::MouseButtonRelease;
            button = Qt::RightButton;
            break;
        default:
            break;
        }
        Qt::MouseButtons buttons;
        if (wParam & MK_LBUTTON)
            buttons |= Qt::LeftButton;
        if (wParam & MK_RBUTTON)
            buttons |= Qt::RightButton;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            buttons |= button;
        QMouseEvent ev(type, pos, widget->mapToGlobal(pos), button, buttons, mods);
        send(ev);
        return true;
    }
    default:
        return false;
    }
}

bool InputFilter::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Close)
        return false;
    return TranslateQtInput(hwnd_, static_cast<QWidget *>(watched), e);
}

void WidgetSurface::Show(int cmd)
{
    if (!widget_)
        return;
    switch (cmd) {
    case SW_HIDE:
        widget_->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        widget_->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        widget_->showMaximized();
        break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        widget_->setAttribute(Qt::WA_ShowWithoutActivating);
        widget_->show();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (widget_->isWindow())
            widget_->showNormal();
        else
            widget_->show();
        break;
    default:
        widget_->show();
        break;
    }
}

bool WidgetSurface::IsVisible() const { return widget_ && widget_->isVisible(); }
bool WidgetSurface::IsMinimized() const { return widget_ && widget_->isMinimized(); }
bool WidgetSurface::IsMaximized() const { return widget_ && widget_->isMaximized(); }

void WidgetSurface::BringToFront()
{
    if (!widget_)
        return;
    widget_->raise();
    // A form shown in a frame of its own (the one holding its menu bar)
    // activates that frame.
    QWidget *top = widget_->window();
    if (top == widget_ || WindowOfWidget(top) == 0)
        top->activateWindow();
}

RECT WidgetSurface::Bounds() const
{
    if (!widget_)
        return RECT{0, 0, 0, 0};
    QRect g = widget_->geometry();
    return RECT{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
}

RECT WidgetSurface::NormalBounds() const
{
    if (!widget_ || !widget_->isWindow() || !(widget_->isMinimized() || widget_->isMaximized()))
        return Bounds();
    QRect g = widget_->normalGeometry();
    if (!g.isValid())
        return Bounds();
    return RECT{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
}

void WidgetSurface::SetBounds(const RECT &b)
{
    if (widget_)
        widget_->setGeometry(b.left, b.top, std::max(0, int(b.right - b.left)), std::max(0, int(b.bottom - b.top)));
}

POINT WidgetSurface::ClientOrigin() const
{
    if (!widget_)
        return POINT{0, 0};
    QPoint o = widget_->mapToGlobal(QPoint(0, 0));
    return POINT{o.x(), o.y()};
}

void WidgetSurface::SetParentWindow(HWND parent)
{
    if (!widget_)
        return;
    bool shown = !widget_->isHidden();
    QRect g = widget_->geometry();
    widget_->setParent(WindowWidget(parent));
    widget_->setGeometry(g);
    if (shown)
        widget_->show();
}

void WidgetSurface::Invalidate(const RECT *rect, bool erase)
{
    if (!widget_)
        return;
    if (host_) {
        QRect r;
        if (rect)
            r = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
        host_->Invalidate(rect ? &r : nullptr, erase);
    } else {
        widget_->update();
    }
}

void WidgetSurface::UpdateNow()
{
    if (!widget_)
        return;
    if (host_)
        host_->PaintNow();
    else
        widget_->repaint();
}

void WidgetSurface::Focus()
{
    if (widget_)
        widget_->setFocus(Qt::OtherFocusReason);
}

bool WidgetSurface::HasFocus() const { return widget_ && widget_->hasFocus(); }

void WidgetSurface::Created()
{
    if (!raw_ || !host_)
        return;
    HWND hwnd = host_->Window();
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELONG(static_cast<WORD>(host_->width()), static_cast<WORD>(host_->height())));
    if (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE)
        host_->show();
}

void WidgetSurface::Destroyed()
{
    if (!raw_)
        return;
    if (host_) {
        host_->SetWindow(0);
        host_->hide();
        host_->deleteLater();
    }
    delete this;
}

HostWidget *HostOf(HWND hwnd)
{
    auto it = Hosts().find(hwnd);
    return it == Hosts().end() ? nullptr : it->second;
}

namespace {

bool OnGuiThread()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && app->thread() == QThread::currentThread();
}

// A raw window: a widget with its own image, placed as CreateWindowExA asks.
void HostRawWindow(HWND hwnd, const CREATESTRUCTA &cs)
{
    if (creatingControlWindow || !OnGuiThread())
        return;
    bool child = (static_cast<DWORD>(cs.style) & WS_CHILD) != 0;
    QWidget *parent = child ? WindowWidget(cs.hwndParent) : nullptr;
    auto *host = new HostWidget(parent, hwnd);
    if (!child) {
        Qt::WindowFlags flags = Qt::Window;
        if (cs.dwExStyle & WS_EX_TOOLWINDOW)
            flags = Qt::Tool;
        // A pop-up has a title bar only when it asks for a caption.
        DWORD style = static_cast<DWORD>(cs.style);
        if ((style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION)
            flags |= Qt::FramelessWindowHint;
        if (cs.dwExStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
        host->setWindowFlags(flags);
        if (cs.lpszName)
            host->setWindowTitle(QtText(cs.lpszName));
    }
    constexpr int kUseDefault = static_cast<int>(0x80000000u);
    int x = cs.x == kUseDefault ? 0 : cs.x;
    int y = cs.y == kUseDefault ? 0 : cs.y;
    int w = cs.cx == kUseDefault ? 400 : std::max(0, cs.cx);
    int h = cs.cy == kUseDefault ? 300 : std::max(0, cs.cy);
    host->setGeometry(x, y, w, h);
    host->setAttribute(Qt::WA_ShowWithoutActivating, child);
    // A raw window's procedure paints it: it keeps its image.
    host->KeepImage();
    SetWindowSurface(hwnd, new WidgetSurface(host, host, true));
}

} // namespace

void InstallWindowHosting()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    SetWindowSurfaceFactory(HostRawWindow);
    PaintSurfaceHooks hooks;
    hooks.surface = [](HWND hwnd, PaintSurface &surface) {
        HostWidget *host = HostOf(hwnd);
        if (!host)
            return false;
        surface.image = host->Surface();
        QPointer<HostWidget> guard(host);
        surface.onDirty = [guard](const RECT &r) {
            if (guard && !guard->Painting())
                guard->update(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)));
        };
        return true;
    };
    hooks.beginPaint = [](HWND hwnd, HDC hdc, RECT &update, bool &erase) {
        erase = false;
        HostWidget *host = HostOf(hwnd);
        if (!host)
            return;
        bool wantErase = false;
        QRect r = host->TakeUpdate(wantErase);
        update = r.isEmpty() ? RECT{0, 0, 0, 0} : RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        if (wantErase && SendMessageA(hwnd, WM_ERASEBKGND, static_cast<WPARAM>(hdc), 0) == 0)
            erase = true;
    };
    hooks.endPaint = [](HWND hwnd) {
        if (HostWidget *host = HostOf(hwnd))
            if (!host->Painting())
                host->update();
    };
    SetPaintSurfaceHooks(std::move(hooks));
}

} // namespace win
