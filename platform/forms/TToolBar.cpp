#include "platform/forms/TToolBar.h"

#include "platform/forms/TToolButton.h"

namespace win {

TToolBar::TToolBar(TComponent *Owner) : TCustomControl(Owner)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 150, 29);
    SetAlign(alTop);
}

std::vector<TToolButton *> TToolBar::ButtonList() const
{
    std::vector<TToolButton *> buttons;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto *button = dynamic_cast<TToolButton *>(Controls(i)))
            buttons.push_back(button);
    return buttons;
}

int TToolBar::GetButtonCount() const { return static_cast<int>(ButtonList().size()); }

TToolButton *TToolBar::Buttons(int index) const
{
    std::vector<TToolButton *> buttons = ButtonList();
    return index >= 0 && index < static_cast<int>(buttons.size()) ? buttons[static_cast<size_t>(index)] : nullptr;
}

void TToolBar::SetButtonWidth(int width)
{
    buttonWidth_ = std::max(0, width);
    ButtonsChanged();
}

void TToolBar::SetButtonHeight(int height)
{
    buttonHeight_ = std::max(0, height);
    ButtonsChanged();
}

void TToolBar::SetImages(TImageList *images)
{
    images_ = images;
    for (TToolButton *button : ButtonList())
        button->Invalidate();
}

void TToolBar::SetShowCaptions(bool show)
{
    showCaptions_ = show;
    for (TToolButton *button : ButtonList())
        button->Invalidate();
}

void TToolBar::ButtonsChanged()
{
    int x = 0;
    for (TToolButton *button : ButtonList()) {
        if (!button->GetVisible())
            continue;
        int width = button->GetStyle() == tbsSeparator ? button->GetWidth() : buttonWidth_;
        button->SetBounds(x, 0, width, buttonHeight_);
        x += width;
    }
}

void TToolBar::Paint()
{
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(GetClientRect());
}

} // namespace win
