#include "platform/forms/TSplitter.h"

#include <algorithm>

namespace win {

TSplitter::TSplitter(TComponent *Owner) : TCustomControl(Owner)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 3, 100);
    SetColor(clBtnFace);
    SetAlign(alLeft);
}

void TSplitter::Paint()
{
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(GetClientRect());
}

TControl *TSplitter::Neighbour() const
{
    TWinControl *parent = GetParent();
    if (!parent)
        return nullptr;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl *c = parent->Controls(i);
        if (c == this || !c->GetVisible() || c->GetAlign() != GetAlign())
            continue;
        TRect b = c->GetBoundsRect();
        bool touches = false;
        switch (GetAlign()) {
        case alLeft:
            touches = b.Right == GetLeft();
            break;
        case alRight:
            touches = b.Left == GetLeft() + GetWidth();
            break;
        case alTop:
            touches = b.Bottom == GetTop();
            break;
        case alBottom:
            touches = b.Top == GetTop() + GetHeight();
            break;
        default:
            break;
        }
        if (touches)
            return c;
    }
    return nullptr;
}

bool TSplitter::Drag(int delta)
{
    TControl *n = Neighbour();
    TWinControl *parent = GetParent();
    if (!n || !parent || delta == 0)
        return false;
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    int size = horizontal ? n->GetWidth() : n->GetHeight();
    // Room the splitter can move into on the far side of the neighbour.
    int room = 0;
    switch (GetAlign()) {
    case alLeft:
        room = parent->GetClientWidth() - (GetLeft() + GetWidth());
        break;
    case alRight:
        room = GetLeft();
        delta = -delta;
        break;
    case alTop:
        room = parent->GetClientHeight() - (GetTop() + GetHeight());
        break;
    default:
        room = GetTop();
        delta = -delta;
        break;
    }
    int wanted = std::min(size + delta, size + std::max(0, room));
    wanted = std::max(wanted, std::min(MinSize, size));
    if (wanted == size)
        return false;
    if (horizontal)
        n->SetWidth(wanted);
    else
        n->SetHeight(wanted);
    return true;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        dragging_ = true;
        moved_ = false;
        grab_ = TPoint(X, Y);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    if (dragging_ && Drag(GetAlign() == alLeft || GetAlign() == alRight ? X - grab_.x : Y - grab_.y))
        moved_ = true;
    TCustomControl::MouseMove(Shift, X, Y);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && dragging_) {
        if (Drag(GetAlign() == alLeft || GetAlign() == alRight ? X - grab_.x : Y - grab_.y))
            moved_ = true;
        dragging_ = false;
        if (moved_ && OnMoved)
            OnMoved(this);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

} // namespace win
