#include "platform/forms/TScrollBar.h"

#include <QScrollBar>

#include <algorithm>

namespace win {

TScrollBar::TScrollBar(TComponent *Owner) : TWinControl(Owner)
{
    TabStop = false;
    SetBounds(0, 0, 121, 16);
}

QWidget *TScrollBar::CreateWidget(QWidget *parent)
{
    auto *bar = new QScrollBar(kind_ == sbVertical ? Qt::Vertical : Qt::Horizontal, parent);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, [this, bar](int action) {
        if (applying_)
            return;
        TScrollCode code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = scLineDown;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = scLineUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = scPageDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = scPageUp;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = scTop;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = scBottom;
            break;
        case QAbstractSlider::SliderMove:
            code = scTrack;
            break;
        default:
            return;
        }
        int pos = bar->sliderPosition();
        Scroll(code, pos);
        applying_ = true;
        bar->setSliderPosition(position_);
        applying_ = false;
        if (code != scTrack) {
            int end = position_;
            Scroll(scEndScroll, end);
        }
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, [this] {
        int pos = position_;
        Scroll(scPosition, pos);
        int end = position_;
        Scroll(scEndScroll, end);
    });
    return bar;
}

void TScrollBar::CreateWnd()
{
    TWinControl::CreateWnd();
    Apply();
}

void TScrollBar::Scroll(TScrollCode code, int &position)
{
    if (OnScroll)
        OnScroll(this, code, position);
    if (code != scEndScroll)
        SetPosition(position);
}

void TScrollBar::SetKind(TScrollBarKind kind)
{
    kind_ = kind;
    if (HandleAllocated())
        static_cast<QScrollBar *>(Widget())->setOrientation(kind == sbVertical ? Qt::Vertical : Qt::Horizontal);
}

void TScrollBar::SetSmallChange(int value)
{
    smallChange_ = value;
    Apply();
}

void TScrollBar::SetLargeChange(int value)
{
    largeChange_ = value;
    Apply();
}

void TScrollBar::SetParams(int position, int min, int max)
{
    max = std::max(max, min);
    position = std::clamp(position, min, max);
    bool changed = position != position_;
    min_ = min;
    max_ = max;
    position_ = position;
    Apply();
    if (changed && OnChange)
        OnChange(this);
}

void TScrollBar::Apply()
{
    if (!HandleAllocated())
        return;
    auto *bar = static_cast<QScrollBar *>(Widget());
    applying_ = true;
    bar->setRange(min_, max_);
    bar->setSingleStep(smallChange_);
    bar->setPageStep(largeChange_);
    bar->setValue(position_);
    applying_ = false;
}

} // namespace win
