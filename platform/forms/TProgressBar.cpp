#include "platform/forms/TProgressBar.h"

#include <QProgressBar>

#include <algorithm>

namespace win {

TProgressBar::TProgressBar(TComponent *Owner) : TWinControl(Owner)
{
    TabStop = false;
    SetBounds(0, 0, 150, 16);
}

QWidget *TProgressBar::CreateWidget(QWidget *parent)
{
    auto *bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    return bar;
}

void TProgressBar::CreateWnd()
{
    TWinControl::CreateWnd();
    Apply();
}

void TProgressBar::SetMin(int value)
{
    min_ = value;
    max_ = std::max(max_, min_);
    SetPosition(position_);
}

void TProgressBar::SetMax(int value)
{
    max_ = value;
    min_ = std::min(min_, max_);
    SetPosition(position_);
}

void TProgressBar::SetPosition(int value)
{
    position_ = std::clamp(value, min_, max_);
    Apply();
}

void TProgressBar::Apply()
{
    if (!HandleAllocated())
        return;
    auto *bar = static_cast<QProgressBar *>(Widget());
    bar->setRange(min_, max_);
    bar->setValue(position_);
}

} // namespace win
