#include "platform/forms/TWinControl.h"

#include <QWidget>

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

TWinControl::TWinControl(TComponent *Owner) : TControl(Owner) {}

TWinControl::~TWinControl()
{
    // The child controls go with their parent, each leaving the list itself.
    while (!controls_.empty())
        delete controls_.back();
}

TControl *TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        return nullptr;
    return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl *control)
{
    if (std::find(controls_.begin(), controls_.end(), control) == controls_.end())
        controls_.push_back(control);
}

void TWinControl::RemoveControl(TControl *control)
{
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TWinControl::CreateWnd()
{
    for (TControl *c : std::vector<TControl *>(controls_))
        c->HandleNeeded();
    AlignControls();
}

void TWinControl::Resize()
{
    AlignControls();
    TControl::Resize();
}

void TWinControl::AlignControls()
{
    TRect r = GetClientRect();
    const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        for (TControl *c : controls_) {
            if (c->GetAlign() != a || !c->GetVisible())
                continue;
            int w = c->GetWidth();
            int h = c->GetHeight();
            switch (a) {
            case alTop:
                c->SetBounds(r.Left, r.Top, r.Width(), h);
                r.Top += h;
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - h, r.Width(), h);
                r.Bottom -= h;
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, w, r.Height());
                r.Left += w;
                break;
            case alRight:
                c->SetBounds(r.Right - w, r.Top, w, r.Height());
                r.Right -= w;
                break;
            default:
                c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                break;
            }
        }
    }
}

bool TWinControl::Focused()
{
    return HandleAllocated() && Widget() && Widget()->hasFocus();
}

bool TWinControl::CanFocus()
{
    for (TControl *c = this; c; c = c->GetParent())
        if (!c->GetVisible() || !c->GetEnabled())
            return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (QWidget *w = Widget())
        w->setFocus(Qt::OtherFocusReason);
}

TWinControl *TWinControl::RootForm()
{
    TWinControl *root = this;
    while (root->GetParent())
        root = root->GetParent();
    return root->IsForm() ? root : nullptr;
}

void TWinControl::CollectFocusable(std::vector<TWinControl *> &out)
{
    std::vector<TControl *> ordered(controls_);
    std::stable_sort(ordered.begin(), ordered.end(), [](TControl *a, TControl *b) {
        auto *wa = dynamic_cast<TWinControl *>(a);
        auto *wb = dynamic_cast<TWinControl *>(b);
        return (wa ? wa->TabOrder : 0) < (wb ? wb->TabOrder : 0);
    });
    for (TControl *c : ordered) {
        auto *w = dynamic_cast<TWinControl *>(c);
        if (!w || !w->GetVisible() || !w->GetEnabled())
            continue;
        if (w->TabStop && !w->IsForm())
            out.push_back(w);
        w->CollectFocusable(out);
    }
}

void TWinControl::SelectNext(TWinControl *current, bool forward)
{
    std::vector<TWinControl *> list;
    CollectFocusable(list);
    if (list.empty())
        return;
    auto it = std::find(list.begin(), list.end(), current);
    size_t n = list.size();
    size_t i = it == list.end() ? (forward ? n - 1 : 0) : static_cast<size_t>(it - list.begin());
    list[forward ? (i + 1) % n : (i + n - 1) % n]->SetFocus();
}

void TWinControl::KeyDown(WORD &Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD &Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char &Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::KeyMessage(TMessage &m)
{
    TShiftState shift = KeyboardShift();
    TWinControl *form = RootForm();
    bool preview = form && form != this && form->PreviewKeys();
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        auto key = static_cast<WORD>(m.WParam);
        // The form's dialog keys come before the control's own handling.
        if (form && form != this) {
            LRESULT code = Perform(WM_GETDLGCODE, 0, 0);
            if ((key == VK_RETURN || key == VK_ESCAPE) && !(code & DLGC_WANTALLKEYS) && form->DialogKey(key)) {
                ConsumeInput();
                return;
            }
            bool arrow = key >= VK_LEFT && key <= VK_DOWN;
            if (arrow && !(code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) {
                form->SelectNext(this, key == VK_RIGHT || key == VK_DOWN);
                ConsumeInput();
                return;
            }
        } else if (form == this && (key == VK_RETURN || key == VK_ESCAPE) && DialogKey(key)) {
            ConsumeInput();
            return;
        }
        if (preview)
            form->KeyDown(key, shift);
        if (key)
            KeyDown(key, shift);
        if (key == 0) {
            ConsumeInput();
            return;
        }
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        auto key = static_cast<WORD>(m.WParam);
        if (preview)
            form->KeyUp(key, shift);
        if (key)
            KeyUp(key, shift);
        if (key == 0) {
            ConsumeInput();
            return;
        }
        break;
    }
    default: {
        char c = static_cast<char>(m.WParam & 0xFF);
        if (preview)
            form->KeyPress(c);
        if (c)
            KeyPress(c);
        if (c == 0) {
            ConsumeInput();
            return;
        }
        if (c != static_cast<char>(m.WParam & 0xFF)) {
            // A handler that changed the character types another one.
            ConsumeInput();
            if (IsNative())
                InjectInput(Widget(), m.Msg, static_cast<unsigned char>(c), m.LParam);
            return;
        }
        break;
    }
    }
    if (!CurrentInput().fromQt && IsNative())
        InjectInput(Widget(), m.Msg, m.WParam, m.LParam);
}

void TWinControl::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
        if (GetEnabled())
            KeyMessage(Message);
        return;
    case WM_GETDLGCODE:
        Message.Result = IsNative() ? (DLGC_WANTARROWS | DLGC_WANTCHARS) : 0;
        return;
    case WM_SETFOCUS:
        if (OnEnter)
            OnEnter(this);
        return;
    case WM_KILLFOCUS:
        if (OnExit)
            OnExit(this);
        return;
    default:
        TControl::WndProc(Message);
        return;
    }
}

} // namespace win
