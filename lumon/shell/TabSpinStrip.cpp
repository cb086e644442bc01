#include "lumon/shell/TabSpinStrip.h"

#include <algorithm>

using namespace win;

TTabSpinStrip::TTabSpinStrip(TComponent *Owner)
    : TCustomControl(Owner), repeat_(std::make_unique<TTimer>(nullptr)), titles_(std::make_unique<TStringList>())
{
    repeat_->Enabled = false;
    repeat_->OnTimer = [this](TObject *sender) { Timer(sender); };
}

TTabSpinStrip::~TTabSpinStrip()
{
    repeat_->Enabled = false;
    repeat_.reset();
}

bool TTabSpinStrip::Holds(const TRect &r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

int TTabSpinStrip::TitleCount() const { return std::min(titles_->Count(), kMaxTitles); }

void TTabSpinStrip::CopyTitles(TStringList *titles)
{
    // The rectangle and width tables hold 128 titles: the rest are left out.
    titles_->Clear();
    for (int i = 0; i < titles->Count() && i < kMaxTitles; ++i)
        titles_->Add(titles->Strings(i));
}

void TTabSpinStrip::CalculateTitleWidths()
{
    Canvas->Font = Font;
    int count = TitleCount();
    for (int i = 0; i < count; ++i)
        titleWidths_[i] = Canvas->TextWidth(titles_->Strings(i));
    CalculateTabRects();
}

void TTabSpinStrip::WndProc(TMessage &Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_GETDLGCODE)
        Message.Result = DLGC_WANTARROWS;
}

void TTabSpinStrip::Scroll(int step)
{
    first_ += step;
    CalculateTabRects();
    PaintTabs();
}

void TTabSpinStrip::StartRepeat()
{
    if (!repeat_->Enabled) {
        repeat_->Interval = 400;
        repeat_->Enabled = true;
    }
}

void TTabSpinStrip::StopRepeat()
{
    if (repeat_->Enabled)
        repeat_->Enabled = false;
}

void TTabSpinStrip::PressSpin(unsigned char button)
{
    pressed_ = hover_ = button;
    PaintSpinButtons();
    if (button == 0 ? first_ > 0 : CanScrollRight(true)) {
        Scroll(button == 0 ? -1 : 1);
        StartRepeat();
    } else {
        StopRepeat();
    }
}

void TTabSpinStrip::MouseDown(TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button != mbLeft)
        return;
    lastX_ = X;
    lastY_ = Y;
    if (Holds(leftSpin_, X, Y))
        PressSpin(0);
    else if (Holds(rightSpin_, X, Y))
        PressSpin(1);
    else
        ClickTab(X, Y);
}

void TTabSpinStrip::MouseMove(TShiftState, int X, int Y)
{
    lastX_ = X;
    lastY_ = Y;
    if (pressed_ == 255)
        return;
    hover_ = Holds(leftSpin_, X, Y) ? 0 : Holds(rightSpin_, X, Y) ? 1 : 255;
    PaintSpinButtons();
}

void TTabSpinStrip::MouseUp(TMouseButton, TShiftState, int, int)
{
    StopRepeat();
    pressed_ = hover_ = 255;
    PaintSpinButtons();
}

void TTabSpinStrip::KeyDown(WORD &Key, TShiftState)
{
    if (Key == VK_LEFT) {
        if (first_ > 0)
            Scroll(-1);
    } else if (Key == VK_RIGHT) {
        if (CanScrollRight(false))
            Scroll(1);
    }
}

void TTabSpinStrip::KeyUp(WORD &, TShiftState) {}

void TTabSpinStrip::Timer(TObject *)
{
    repeat_->Interval = 100;
    if (hover_ == pressed_)
        MouseDown(mbLeft, TShiftState(), lastX_, lastY_);
}
