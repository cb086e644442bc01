#include "platform/forms/TForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QWidget>

#include "platform/forms/TApplication.h"
#include "platform/forms/WindowHost.h"

namespace win {

TForm::TForm(TComponent *Owner) : TWinControl(Owner), Canvas(new TControlCanvas(this))
{
    visible_ = false;
    SetBounds(0, 0, 320, 240);
}

TForm::~TForm()
{
    if (OnDestroy)
        OnDestroy(this);
    if (Application && Application->MainForm == this)
        Application->MainForm = nullptr;
    delete Canvas;
}

void TForm::AfterConstruction()
{
    if (OnCreate)
        OnCreate(this);
}

QWidget *TForm::CreateWidget(QWidget *parent)
{
    auto *w = new HostWidget(parent, 0);
    w->setFocusPolicy(Qt::NoFocus);
    return w;
}

void TForm::ApplyWindowFlags()
{
    QWidget *w = Widget();
    if (!w || GetParent())
        return;
    Qt::WindowFlags flags = Qt::Window;
    switch (borderStyle_) {
    case bsNone:
        flags |= Qt::FramelessWindowHint;
        break;
    case bsDialog:
        flags = Qt::Dialog;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        flags = Qt::Tool;
        break;
    default:
        break;
    }
    if (formStyle_ == fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    bool shown = w->isVisible();
    w->setWindowFlags(flags);
    w->setWindowTitle(QtText(caption_.c_str()));
    if (shown)
        w->show();
}

void TForm::PlaceOnScreen()
{
    if (placed_ || GetParent())
        return;
    placed_ = true;
    QRect area;
    switch (Position) {
    case poScreenCenter:
    case poDesktopCenter:
        if (QScreen *s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TForm *other = Position == poOwnerFormCenter ? dynamic_cast<TForm *>(GetOwner()) : nullptr;
        if (!other && Application)
            other = Application->MainForm;
        if (other && other != this && other->HandleAllocated())
            area = other->Widget()->geometry();
        else if (QScreen *s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        break;
    }
    default:
        return;
    }
    if (area.isValid())
        SetBounds(area.x() + (area.width() - GetWidth()) / 2, area.y() + (area.height() - GetHeight()) / 2,
                  GetWidth(), GetHeight());
}

void TForm::SetVisible(bool visible)
{
    if (GetParent()) {
        if (visible && !GetVisible() && OnShow)
            OnShow(this);
        TWinControl::SetVisible(visible);
        return;
    }
    QWidget *w = Widget();
    if (visible == !w->isHidden()) {
        visible_ = visible;
        return;
    }
    visible_ = visible;
    if (visible) {
        ApplyWindowFlags();
        PlaceOnScreen();
        if (OnShow)
            OnShow(this);
        if (windowState_ == wsMaximized)
            w->showMaximized();
        else if (windowState_ == wsMinimized)
            w->showMinimized();
        else
            w->show();
    } else {
        w->hide();
        if (OnHide)
            OnHide(this);
    }
}

void TForm::SetFormStyle(TFormStyle style)
{
    formStyle_ = style;
    if (HandleAllocated())
        ApplyWindowFlags();
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style;
    if (HandleAllocated())
        ApplyWindowFlags();
}

TWindowState TForm::GetWindowState()
{
    if (!HandleAllocated() || Widget()->isHidden())
        return windowState_;
    if (Widget()->isMinimized())
        return wsMinimized;
    return Widget()->isMaximized() ? wsMaximized : wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    if (!HandleAllocated() || Widget()->isHidden())
        return;
    if (state == wsMaximized)
        Widget()->showMaximized();
    else if (state == wsMinimized)
        Widget()->showMinimized();
    else
        Widget()->showNormal();
}

TWinControl *TForm::GetActiveControl()
{
    if (!HandleAllocated())
        return nullptr;
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        TControl *c = ControlOfWindow(WindowOfWidget(w));
        auto *wc = dynamic_cast<TWinControl *>(c);
        if (wc && wc != this) {
            for (TControl *p = wc; p; p = p->GetParent())
                if (p == this)
                    return wc;
            return nullptr;
        }
    }
    return nullptr;
}

void TForm::SetActiveControl(TWinControl *control)
{
    if (control)
        control->SetFocus();
}

void TForm::SetModalResult(TModalResult result)
{
    modalResult_ = result;
    if (result != mrNone && modalLoop_)
        static_cast<QEventLoop *>(modalLoop_)->exit(0);
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::DoClose(TCloseAction &Action)
{
    if (OnClose)
        OnClose(this, Action);
}

void TForm::Close()
{
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = formStyle_ == fsMDIChild ? caMinimize : caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    default:
        Hide();
        Release();
        break;
    }
}

void TForm::Release() { PostMessageA(GetHandle(), CM_RELEASE, 0, 0); }

int TForm::ShowModal()
{
    if (modal_ || !GetEnabled())
        return mrCancel;
    modal_ = true;
    modalResult_ = mrNone;
    QWidget *w = Widget();
    w->setWindowModality(Qt::ApplicationModal);
    Show();
    QEventLoop loop;
    modalLoop_ = &loop;
    for (;;) {
        if (modalResult_ == mrNone)
            loop.exec();
        if (modalResult_ == mrNone) {
            // The application is quitting.
            modalResult_ = mrCancel;
            break;
        }
        if (!CloseQuery()) {
            modalResult_ = mrNone;
            continue;
        }
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) {
            modalResult_ = mrNone;
            continue;
        }
        if (action == caFree)
            Release();
        break;
    }
    modalLoop_ = nullptr;
    Hide();
    w->setWindowModality(Qt::NonModal);
    modal_ = false;
    return modalResult_;
}

bool TForm::DialogKey(WORD key)
{
    TWinControl *active = GetActiveControl();
    if (active && active->AcceptDialogKey(key, true))
        return true;
    std::vector<TControl *> pending{this};
    while (!pending.empty()) {
        TControl *c = pending.back();
        pending.pop_back();
        if (c != this && c->GetVisible() && c->GetEnabled() && c->AcceptDialogKey(key, false))
            return true;
        if (auto *wc = dynamic_cast<TWinControl *>(c))
            for (int i = wc->ControlCount() - 1; i >= 0; --i)
                pending.push_back(wc->Controls(i));
    }
    return false;
}

void TForm::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

void TForm::PaintWindow(HDC dc)
{
    Canvas->BeginPaint(dc);
    Paint();
    Canvas->EndPaint();
}

void TForm::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        delete this;
        return;
    case WM_ACTIVATE:
        if (Message.WParam ? bool(OnActivate) : bool(OnDeactivate))
            (Message.WParam ? OnActivate : OnDeactivate)(this);
        return;
    default:
        TWinControl::WndProc(Message);
        return;
    }
}

} // namespace win
