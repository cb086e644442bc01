#include "platform/forms/TSpeedButton.h"

#include <QToolButton>

#include "platform/forms/WindowHost.h"

namespace win {

TSpeedButton::TSpeedButton(TComponent *Owner) : TWinControl(Owner)
{
    TabStop = false;
    SetBounds(0, 0, 23, 22);
}

QWidget *TSpeedButton::CreateWidget(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QToolButton::clicked, [this] { Click(); });
    return button;
}

void TSpeedButton::CreateWnd()
{
    TWinControl::CreateWnd();
    Apply();
}

void TSpeedButton::ApplyCaption()
{
    static_cast<QToolButton *>(Widget())->setText(QtText(caption_.c_str()));
}

void TSpeedButton::Click()
{
    if (groupIndex_ != 0)
        SetDown(down_ && AllowAllUp ? false : true);
    TWinControl::Click();
}

void TSpeedButton::SetDown(bool down)
{
    if (groupIndex_ == 0)
        down = false;
    down_ = down;
    if (down && GetParent())
        for (int i = 0; i < GetParent()->ControlCount(); ++i)
            if (auto *other = dynamic_cast<TSpeedButton *>(GetParent()->Controls(i));
                other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Apply();
            }
    Apply();
}

void TSpeedButton::SetFlat(bool flat)
{
    flat_ = flat;
    Apply();
}

void TSpeedButton::SetGroupIndex(int index)
{
    groupIndex_ = index;
    if (index == 0)
        down_ = false;
    Apply();
}

void TSpeedButton::Apply()
{
    if (!HandleAllocated())
        return;
    auto *button = static_cast<QToolButton *>(Widget());
    button->setAutoRaise(flat_);
    button->setCheckable(groupIndex_ != 0);
    button->setChecked(down_);
}

} // namespace win
