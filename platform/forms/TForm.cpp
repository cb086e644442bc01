#include "platform/forms/TForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QWidget>

#include "platform/forms/FormFrame.h"
#include "platform/forms/TActionList.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TPopupMenu.h"
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
    if (menu_)
        menu_->SetForm(nullptr);
    menu_ = nullptr;
    if (frame_)
        frame_->Release();
    delete Canvas;
}

void TForm::AfterConstruction()
{
    if (OnCreate)
        OnCreate(this);
}

QWidget *TForm::CreateWidget(QWidget *parent)
{
    if (!parent && menu_)
        frame_ = new FormFrame(this);
    auto *w = new HostWidget(frame_ ? frame_ : parent, 0);
    w->setFocusPolicy(Qt::NoFocus);
    if (frame_)
        frame_->SetClient(w);
    return w;
}

void TForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!frame_)
        return;
    SetWindowSurface(GetHandle(), frame_->Surface());
    frame_->Rebuild();
    frame_->Place(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

QWidget *TForm::TopWidget()
{
    QWidget *w = Widget();
    return frame_ && !GetParent() ? frame_ : w;
}

void TForm::MakeFrame()
{
    QWidget *client = Widget();
    auto *frame = new FormFrame(this);
    frame->setWindowFlags(client->windowFlags());
    frame->setWindowTitle(client->windowTitle());
    frame->setWindowModality(client->windowModality());
    bool shown = client->isVisible();
    Qt::WindowStates states = client->windowState();
    client->setWindowModality(Qt::NonModal);
    frame_ = frame;
    frame->SetClient(client);
    SetWindowSurface(GetHandle(), frame->Surface());
    frame->Rebuild();
    frame->Place(GetLeft(), GetTop(), GetWidth(), GetHeight());
    frame->setWindowState(states);
    if (shown)
        frame->show();
}

void TForm::SetMenu(TMainMenu *menu)
{
    if (menu == menu_)
        return;
    if (menu && menu->GetForm())
        menu->GetForm()->SetMenu(nullptr);
    if (menu_)
        menu_->SetForm(nullptr);
    menu_ = menu;
    if (menu_)
        menu_->SetForm(this);
    MenuChanged();
}

void TForm::MenuChanged()
{
    if (frame_)
        frame_->Rebuild();
    else if (menu_ && HandleAllocated() && !GetParent())
        MakeFrame();
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    TWinControl::SetBounds(left, top, width, height);
    if (frame_ && !GetParent())
        frame_->Place(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

void TForm::ApplyWindowFlags()
{
    QWidget *w = TopWidget();
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
            area = other->TopWidget()->geometry();
        else if (QScreen *s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        break;
    }
    default:
        return;
    }
    int outerHeight = GetHeight() + (frame_ ? frame_->BarHeight() : 0);
    if (area.isValid())
        SetBounds(area.x() + (area.width() - GetWidth()) / 2, area.y() + (area.height() - outerHeight) / 2,
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
    QWidget *w = TopWidget();
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
    if (!HandleAllocated() || TopWidget()->isHidden())
        return windowState_;
    if (TopWidget()->isMinimized())
        return wsMinimized;
    return TopWidget()->isMaximized() ? wsMaximized : wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    if (!HandleAllocated() || TopWidget()->isHidden())
        return;
    if (state == wsMaximized)
        TopWidget()->showMaximized();
    else if (state == wsMinimized)
        TopWidget()->showMinimized();
    else
        TopWidget()->showNormal();
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
    QWidget *w = TopWidget();
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

bool TForm::ShortCutKey(WORD key, TShiftState shift)
{
    if (key == 0 || key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU)
        return false;
    TShortCut shortCut = ShortCut(key, shift);
    // The popup menus of the focused control and its parents come first, then the
    // main menu and the form's action lists.
    TControl *start = GetActiveControl();
    for (TControl *c = start ? start : this; c; c = c->GetParent())
        if (c->PopupMenu)
            if (TMenuItem *item = c->PopupMenu->FindShortCut(shortCut)) {
                item->Click();
                return true;
            }
    if (menu_)
        if (TMenuItem *item = menu_->FindShortCut(shortCut)) {
            item->Click();
            return true;
        }
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto *list = dynamic_cast<TActionList *>(Components(i)))
            if (list->IsShortCut(shortCut))
                return true;
    return false;
}

void TForm::KeyDown(WORD &Key, TShiftState Shift)
{
    if (ShortCutKey(Key, Shift)) {
        Key = 0;
        return;
    }
    if (ownKey_ || KeyPreview)
        TWinControl::KeyDown(Key, Shift);
}

void TForm::KeyUp(WORD &Key, TShiftState Shift)
{
    if (ownKey_ || KeyPreview)
        TWinControl::KeyUp(Key, Shift);
}

void TForm::KeyPress(char &Key)
{
    if (ownKey_ || KeyPreview)
        TWinControl::KeyPress(Key);
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
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR: {
        bool outer = ownKey_;
        ownKey_ = true;
        TWinControl::WndProc(Message);
        ownKey_ = outer;
        return;
    }
    default:
        TWinControl::WndProc(Message);
        return;
    }
}

} // namespace win
