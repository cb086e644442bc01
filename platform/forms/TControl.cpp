#include "platform/forms/TControl.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include <set>
#include <unordered_map>

#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TWinControl.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"
#include "platform/win/Window.h"

namespace win {

thread_local bool creatingControlWindow = false;

struct ControlPrivate {
    QPointer<QWidget> widget;
    HostWidget *host = nullptr;
    InputFilter *filter = nullptr;
    WidgetSurface *surface = nullptr;
    HWND hwnd = 0;
    bool creating = false;
};

namespace {

std::unordered_map<HWND, TControl *> &Controls()
{
    static auto *controls = new std::unordered_map<HWND, TControl *>;
    return *controls;
}

thread_local TControl *creatingControl = nullptr;
// The window being made for creatingControl, before the control knows it.
thread_local HWND creatingHwnd = 0;

LRESULT ControlWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TControl *control = nullptr;
    auto it = Controls().find(hwnd);
    if (it != Controls().end()) {
        control = it->second;
    } else if (creatingControl) {
        control = creatingControl;
        creatingHwnd = hwnd;
        Controls()[hwnd] = control;
    }
    if (!control)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        Controls().erase(hwnd);
    TMessage m{msg, wParam, lParam, 0};
    control->WndProc(m);
    return m.Result;
}

void RegisterControlClass(const AnsiString &name)
{
    static std::set<std::string> registered;
    if (registered.count(name.c_str()))
        return;
    registered.insert(name.c_str());
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ControlWndProc;
    wc.lpszClassName = name.c_str();
    RegisterClassA(&wc);
}

QColor QtColor(TColor color)
{
    COLORREF c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

TControl *ControlOfWindow(HWND hwnd)
{
    auto it = Controls().find(hwnd);
    return it == Controls().end() ? nullptr : it->second;
}

TControl::TControl(TComponent *Owner) : TComponent(Owner), priv_(new ControlPrivate) {}

TControl::~TControl()
{
    if (parent_)
        parent_->RemoveControl(this);
    if (HWND h = priv_->hwnd) {
        priv_->hwnd = 0;
        SetWindowSurface(h, nullptr);
        DestroyWindow(h);
        Controls().erase(h);
    }
    delete priv_->surface;
    if (priv_->host)
        priv_->host->SetWindow(0);
    if (priv_->filter)
        priv_->filter->SetWindow(0);
    if (QWidget *w = priv_->widget) {
        w->hide();
        w->deleteLater();
    }
    delete priv_;
}

QWidget *TControl::CreateWidget(QWidget *parent) { return new HostWidget(parent, 0); }

void TControl::HandleNeeded()
{
    if (priv_->hwnd || priv_->creating)
        return;
    priv_->creating = true;
    QWidget *parentWidget = nullptr;
    HWND parentHwnd = 0;
    if (parent_) {
        parent_->HandleNeeded();
        parentWidget = parent_->Widget();
        parentHwnd = parent_->priv_->hwnd;
    }
    QWidget *w = CreateWidget(parentWidget);
    priv_->widget = w;
    priv_->host = dynamic_cast<HostWidget *>(w);
    if (!priv_->host) {
        priv_->filter = new InputFilter(w, 0);
        w->installEventFilter(priv_->filter);
    }
    w->setGeometry(left_, top_, width_, height_);
    w->setEnabled(enabled_);
    // A mouse message belongs to the window under the pointer alone; Qt would
    // hand what a control leaves on to its parents.
    w->setAttribute(Qt::WA_NoMousePropagation);
    AnsiString cls = ClassName();
    RegisterControlClass(cls);
    creatingControlWindow = true;
    TControl *outer = creatingControl;
    creatingControl = this;
    HWND h = CreateWindowExA(0, cls.c_str(), caption_.c_str(), parent_ ? WS_CHILD : 0, left_, top_, width_,
                             height_, parentHwnd, 0, 0, nullptr);
    creatingControl = outer;
    creatingControlWindow = false;
    priv_->hwnd = h;
    priv_->surface = new WidgetSurface(w, priv_->host, false);
    SetWindowSurface(h, priv_->surface);
    ApplyColor();
    ApplyFont();
    ApplyCaption();
    if (priv_->host) {
        priv_->host->SetWindow(h);
        priv_->host->SetPaintsItself([this] { return PaintsItself(); });
        priv_->host->SyncSize();
    } else {
        priv_->filter->SetWindow(h);
    }
    CreateWnd();
    // Hidden explicitly: Qt would otherwise show a new child with its parent.
    if (parent_)
        w->setVisible(visible_);
    priv_->creating = false;
}

HWND TControl::GetHandle()
{
    HandleNeeded();
    return priv_->hwnd;
}

bool TControl::HandleAllocated() const { return priv_->hwnd != 0; }

bool TControl::CreatingWindow() const { return priv_->creating; }

QWidget *TControl::Widget()
{
    HandleNeeded();
    return priv_->widget;
}

HostWidget *TControl::Host()
{
    HandleNeeded();
    return priv_->host;
}

bool TControl::IsNative()
{
    HandleNeeded();
    return priv_->host == nullptr;
}

void TControl::ConsumeInput() { CurrentInput().consumed = true; }

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::SetParent(TWinControl *parent)
{
    if (parent == parent_)
        return;
    if (parent_)
        parent_->RemoveControl(this);
    TWinControl *old = parent_;
    parent_ = parent;
    if (parent_)
        parent_->InsertControl(this);
    if (priv_->hwnd) {
        win::SetParent(priv_->hwnd, parent_ ? parent_->GetHandle() : 0);
        if (QWidget *w = priv_->widget) {
            w->setGeometry(left_, top_, width_, height_);
            w->setVisible(parent_ && visible_);
        }
    } else if (parent_ && parent_->HandleAllocated()) {
        HandleNeeded();
    }
    if (old)
        old->AlignControls();
    if (parent_)
        parent_->AlignControls();
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    // A size below zero is zero: a client control squeezed out by its aligned
    // siblings keeps its size rather than asking for a new one at every turn.
    width = std::max(0, width);
    height = std::max(0, height);
    bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (QWidget *w = priv_->widget) {
        w->setGeometry(left_, top_, width_, height_);
        if (priv_->host)
            priv_->host->SyncSize();
        else if (resized)
            Resize();
    }
    if (parent_ && align_ != alNone && resized)
        parent_->AlignControls();
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_ && (!priv_->widget || priv_->widget->isHidden() != visible))
        return;
    visible_ = visible;
    if (QWidget *w = priv_->widget)
        w->setVisible(visible && parent_);
    else if (visible && parent_ && parent_->HandleAllocated())
        HandleNeeded();
    if (parent_ && align_ != alNone)
        parent_->AlignControls();
}

void TControl::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (QWidget *w = priv_->widget)
        w->setEnabled(enabled);
}

void TControl::SetColor(TColor color)
{
    color_ = color;
    if (priv_->widget)
        ApplyColor();
}

void TControl::SetCaption(AnsiString caption)
{
    caption_ = caption;
    if (priv_->widget)
        ApplyCaption();
}

void TControl::SetAlign(TAlign align)
{
    align_ = align;
    if (parent_)
        parent_->AlignControls();
}

void TControl::FontChanged()
{
    if (priv_->widget)
        ApplyFont();
}

void TControl::ApplyColor()
{
    QWidget *w = priv_->widget;
    if (!w)
        return;
    QColor c = QtColor(color_);
    if (priv_->host) {
        priv_->host->SetFill(c.rgb() & 0xFFFFFF);
        priv_->host->Invalidate(nullptr, true);
        return;
    }
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Base, c);
    pal.setColor(QPalette::Button, c);
    w->setPalette(pal);
}

void TControl::ApplyFont()
{
    QWidget *w = priv_->widget;
    if (!w || priv_->host)
        return;
    w->setFont(QFontOf(Font->GetHandle()));
    QPalette pal = w->palette();
    QColor c = QtColor(Font->Color);
    // A disabled control keeps the greyed text of its style.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(group, role, c);
    w->setPalette(pal);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::Invalidate()
{
    if (priv_->hwnd)
        InvalidateRect(priv_->hwnd, nullptr, TRUE);
}

void TControl::Repaint()
{
    if (!priv_->hwnd)
        return;
    InvalidateRect(priv_->hwnd, nullptr, TRUE);
    UpdateWindow(priv_->hwnd);
}

void TControl::Update()
{
    if (priv_->hwnd)
        UpdateWindow(priv_->hwnd);
}

TPoint TControl::ClientToScreen(const TPoint &point)
{
    POINT p = point;
    win::ClientToScreen(GetHandle(), &p);
    return p;
}

TPoint TControl::ScreenToClient(const TPoint &point)
{
    POINT p = point;
    win::ScreenToClient(GetHandle(), &p);
    return p;
}

void TControl::BringToFront()
{
    if (QWidget *w = Widget())
        w->raise();
}

void TControl::SendToBack()
{
    if (QWidget *w = Widget())
        w->lower();
}

void TControl::PaintHandler()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(priv_->hwnd, &ps);
    if (!dc)
        return;
    PaintWindow(dc);
    EndPaint(priv_->hwnd, &ps);
}

void TControl::MouseMessage(TMessage &m)
{
    auto lp = static_cast<DWORD>(m.LParam);
    int x = static_cast<int16_t>(LOWORD(lp));
    int y = static_cast<int16_t>(HIWORD(lp));
    TShiftState shift = MouseShift(m.WParam);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
        pressed_ = true;
        MouseDown(mbLeft, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        MouseDown(mbLeft, shift << ssDouble, x, y);
        DblClick();
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(mbRight, shift, x, y);
        break;
    case WM_MBUTTONDOWN:
        MouseDown(mbMiddle, shift, x, y);
        break;
    case WM_LBUTTONUP: {
        bool wasPressed = pressed_;
        pressed_ = false;
        MouseUp(mbLeft, shift, x, y);
        if (wasPressed && priv_->host && x >= 0 && y >= 0 && x < width_ && y < height_)
            Click();
        break;
    }
    case WM_RBUTTONUP:
        MouseUp(mbRight, shift, x, y);
        if (PopupMenu && PopupMenu->AutoPopup) {
            TPoint p = ClientToScreen(TPoint(x, y));
            PopupMenu->Popup(p.x, p.y);
        }
        break;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, shift, x, y);
        break;
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    default:
        break;
    }
    if (!CurrentInput().fromQt && priv_->widget && !priv_->host)
        InjectInput(priv_->widget, m.Msg, m.WParam, m.LParam);
}

void TControl::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        if (enabled_)
            MouseMessage(Message);
        return;
    case WM_SIZE:
        // A top-level window sized by the user (or the window manager) takes its
        // new size, so that its client area and the aligned controls follow.
        if (!parent_ && Message.WParam != SIZE_MINIMIZED) {
            width_ = LOWORD(static_cast<DWORD>(Message.LParam));
            height_ = HIWORD(static_cast<DWORD>(Message.LParam));
        }
        Resize();
        return;
    case WM_PAINT:
        if (priv_->host)
            PaintHandler();
        return;
    case WM_ERASEBKGND:
        if (priv_->host) {
            RECT r{0, 0, width_, height_};
            HBRUSH brush = CreateSolidBrush(ColorToRGB(color_));
            FillRect(static_cast<HDC>(Message.WParam), &r, brush);
            DeleteObject(brush);
            Message.Result = 1;
        }
        return;
    default:
        DefaultHandler(Message);
        return;
    }
}

void TControl::DefaultHandler(TMessage &Message)
{
    HWND h = priv_->hwnd ? priv_->hwnd : (creatingControl == this ? creatingHwnd : 0);
    if (h)
        Message.Result = DefWindowProcA(h, Message.Msg, Message.WParam, Message.LParam);
}

} // namespace win
