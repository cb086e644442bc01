// The scroll bar: Min, Max, Position, SmallChange and LargeChange, horizontal
// or vertical; each move by the user reaches OnScroll with its scroll code and
// the proposed position, which the handler may change; OnChange follows a new
// Position.
#pragma once

#include <functional>

#include "platform/forms/TWinControl.h"

namespace win {

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject *Sender, TScrollCode ScrollCode, int &ScrollPos)>;

class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent *Owner);
    AnsiString ClassName() const override { return "TScrollBar"; }

    TScrollBarKind GetKind() const { return kind_; }
    void SetKind(TScrollBarKind kind);
    int GetMin() const { return min_; }
    void SetMin(int value) { SetParams(position_, value, max_); }
    int GetMax() const { return max_; }
    void SetMax(int value) { SetParams(position_, min_, value); }
    int GetPosition() const { return position_; }
    void SetPosition(int value) { SetParams(value, min_, max_); }
    int GetSmallChange() const { return smallChange_; }
    void SetSmallChange(int value);
    int GetLargeChange() const { return largeChange_; }
    void SetLargeChange(int value);
    // Sets all three at once; the position is kept within min..max.
    void SetParams(int position, int min, int max);
    // The user's move with its code (what the bar does on a click, a drag or a key).
    void Scroll(TScrollCode code, int &position);

    Property<TScrollBar, TScrollBarKind, &TScrollBar::GetKind, &TScrollBar::SetKind> Kind{this};
    Property<TScrollBar, int, &TScrollBar::GetMin, &TScrollBar::SetMin> Min{this};
    Property<TScrollBar, int, &TScrollBar::GetMax, &TScrollBar::SetMax> Max{this};
    Property<TScrollBar, int, &TScrollBar::GetPosition, &TScrollBar::SetPosition> Position{this};
    Property<TScrollBar, int, &TScrollBar::GetSmallChange, &TScrollBar::SetSmallChange> SmallChange{this};
    Property<TScrollBar, int, &TScrollBar::GetLargeChange, &TScrollBar::SetLargeChange> LargeChange{this};
    TScrollEvent OnScroll;
    TNotifyEvent OnChange;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;

private:
    void Apply();

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    bool applying_ = false;
};

} // namespace win
