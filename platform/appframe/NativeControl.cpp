#include "platform/appframe/NativeControl.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

#include "platform/appframe/ControlHelpers.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"
#include "platform/win/Text.h"
#include "platform/win/WindowSurface.h"

namespace win {

namespace {

// Asks the parent for the control's colours before each painting of a Qt widget.
class ColorWatcher : public QObject {
public:
    ColorWatcher(QObject *parent, NativeControl *control) : QObject(parent), control_(control) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint || e->type() == QEvent::Show)
            control_->ApplyColors();
        return false;
    }

private:
    NativeControl *control_;
};

QColor QtColorOf(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

} // namespace

std::unordered_map<HWND, std::unique_ptr<NativeControl>> &NativeControls()
{
    static auto *controls = new std::unordered_map<HWND, std::unique_ptr<NativeControl>>;
    return *controls;
}

NativeControl *NativeControlOf(HWND hwnd)
{
    auto it = NativeControls().find(hwnd);
    return it == NativeControls().end() ? nullptr : it->second.get();
}

NativeControl::~NativeControl() = default;

DWORD NativeControl::Style() const { return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }

void NativeControl::SetStyleBits(DWORD style) { SetWindowLongPtrA(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style)); }

WORD NativeControl::Id() const { return static_cast<WORD>(GetWindowLongPtrA(hwnd, GWL_ID)); }

HWND NativeControl::Parent() const { return GetParent(hwnd); }

void NativeControl::Attach(HWND h, const CREATESTRUCTA &cs)
{
    hwnd = h;
    title_ = cs.lpszName ? cs.lpszName : "";
    QWidget *parent = WindowWidget(cs.hwndParent);
    QWidget *w = CreateWidget(parent, cs);
    if (!w) {
        host_ = new HostWidget(parent, h);
        w = host_;
    }
    widget_ = w;
    w->setGeometry(cs.x, cs.y, std::max(0, cs.cx), std::max(0, cs.cy));
    w->setEnabled(!(static_cast<DWORD>(cs.style) & WS_DISABLED));
    if (!host_) {
        filter_ = new InputFilter(w, h);
        w->installEventFilter(filter_);
        painter_ = new ColorWatcher(w, this);
        w->installEventFilter(painter_);
    }
    surface_ = new WidgetSurface(w, host_, false);
    SetWindowSurface(h, surface_);
    if (host_)
        host_->SyncSize();
    w->setVisible(static_cast<DWORD>(cs.style) & WS_VISIBLE);
    Created();
}

void NativeControl::Detach()
{
    SetWindowSurface(hwnd, nullptr);
    delete surface_;
    surface_ = nullptr;
    if (host_)
        host_->SetWindow(0);
    if (filter_)
        filter_->SetWindow(0);
    if (painter_)
        painter_->deleteLater();
    if (QWidget *w = widget_) {
        w->hide();
        w->deleteLater();
    }
    widget_ = nullptr;
}

void NativeControl::Notify(WORD code)
{
    if (HWND parent = Parent())
        SendMessageA(parent, WM_COMMAND, MAKELONG(Id(), code), static_cast<LPARAM>(hwnd));
}

void NativeControl::Repaint()
{
    if (host_)
        host_->Invalidate(nullptr, true);
    else if (widget_)
        widget_->update();
}

void NativeControl::ApplyColors()
{
    QWidget *w = widget_;
    HWND parent = Parent();
    if (!w || host_ || !parent)
        return;
    HDC dc = CreateCompatibleDC(0);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    auto brush = static_cast<HBRUSH>(SendMessageA(parent, CtlColorMessage(), static_cast<WPARAM>(dc),
                                                  static_cast<LPARAM>(hwnd)));
    COLORREF text = GetTextColor(dc);
    COLORREF back = GetBkColor(dc);
    DeleteDC(dc);
    // Without a brush the parent keeps the default colours.
    QPalette pal = QApplication::palette(w);
    if (brush) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, QPalette::WindowText, QtColorOf(text));
            pal.setColor(group, QPalette::Text, QtColorOf(text));
            pal.setColor(group, QPalette::ButtonText, QtColorOf(text));
        }
        COLORREF fill = back;
        LOGBRUSH lb{};
        if (GetObjectA(brush, sizeof(lb), &lb) == sizeof(lb))
            fill = lb.lbColor;
        else if (brush <= 31)
            fill = GetSysColor(static_cast<int>(brush) - 1); // a system colour index + 1
        for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
            pal.setColor(role, QtColorOf(fill));
    }
    if (pal != w->palette())
        w->setPalette(pal);
}

LRESULT NativeControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETTEXT: {
        std::string text = lParam ? reinterpret_cast<const char *>(lParam) : "";
        SetText(text);
        DefWindowProcA(hwnd, msg, wParam, lParam);
        Repaint();
        return TRUE;
    }
    case WM_GETTEXT:
        return CopyText(Text(), reinterpret_cast<char *>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(Text().size());
    case WM_SETFONT:
        font_ = static_cast<HFONT>(wParam);
        if (widget_ && !host_)
            widget_->setFont(QFontOf(ControlFont(font_)));
        FontChanged();
        if (LOWORD(static_cast<DWORD>(lParam)))
            Repaint();
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(font_);
    case WM_ENABLE:
        Repaint();
        return 0;
    case WM_GETDLGCODE:
        return DialogCode(wParam);
    case WM_SETFOCUS:
        FocusChanged(true);
        return 0;
    case WM_KILLFOCUS:
        FocusChanged(false);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        // Posted or sent input acts on the widget as typing and clicking do.
        if (!CurrentInput().fromQt && widget_ && !host_)
            InjectInput(widget_, msg, wParam, lParam);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

int QtPosition(const std::string &gbk, int byteOffset)
{
    if (byteOffset <= 0)
        return 0;
    size_t end = std::min(gbk.size(), static_cast<size_t>(byteOffset));
    // Never inside a double-byte character.
    size_t i = 0;
    while (i < end)
        i += (IsGbkLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) ? 2 : 1;
    return static_cast<int>(GbkToUtf16(gbk.substr(0, std::min(i, gbk.size()))).size());
}

int GbkPosition(const QString &text, int qtPosition)
{
    int n = std::clamp(qtPosition, 0, static_cast<int>(text.size()));
    return static_cast<int>(GbkText(text.left(n)).size());
}

} // namespace win
