// The common ground of the tab strips: the titles, the two spin buttons with
// their hover and pressed state, the held-button repeat (400 ms, then every
// 100 ms while the mouse stays on the button), scrolling by the Left and Right
// keys, and the arrow keys asked of the dialog. Each strip lays out, paints and
// hit-tests its own tabs.
#pragma once

#include <memory>

#include "platform/forms/TCustomControl.h"
#include "platform/forms/TTimer.h"
#include "platform/win/TStringList.h"

class TTabSpinStrip : public win::TCustomControl {
public:
    static constexpr int kMaxTitles = 128;

    explicit TTabSpinStrip(win::TComponent *Owner);
    ~TTabSpinStrip() override;

    void WndProc(win::TMessage &Message) override;

protected:
    void MouseDown(win::TMouseButton Button, win::TShiftState Shift, int X, int Y) override;
    void MouseMove(win::TShiftState Shift, int X, int Y) override;
    void MouseUp(win::TMouseButton Button, win::TShiftState Shift, int X, int Y) override;
    void KeyDown(win::WORD &Key, win::TShiftState Shift) override;
    void KeyUp(win::WORD &Key, win::TShiftState Shift) override;
    void Timer(win::TObject *Sender);

    virtual void PaintSpinButtons() = 0;
    virtual void CalculateTabRects() = 0;
    virtual void PaintTabs() = 0;
    // Whether a tab is still cut at the right end; `byButton` tells the right
    // spin button from the Right key.
    virtual bool CanScrollRight(bool byButton) const = 0;
    // A left click off the spin buttons.
    virtual void ClickTab(int X, int Y) = 0;

    static bool Holds(const win::TRect &r, int x, int y);
    // Replaces the titles by a copy of the first 128 of `titles`.
    void CopyTitles(win::TStringList *titles);
    void CalculateTitleWidths();
    int TitleCount() const;
    // Moves first by `step` and repaints the tabs.
    void Scroll(int step);
    void StartRepeat();
    void StopRepeat();

    win::TRect leftSpin_;
    win::TRect rightSpin_;
    win::TPoint arrows_[6];
    int titleWidths_[kMaxTitles] = {};
    int first_ = 0;
    int active_ = 0;
    unsigned char pressed_ = 255;
    unsigned char hover_ = 255;
    int lastX_ = 0;
    int lastY_ = 0;
    std::unique_ptr<win::TTimer> repeat_;
    std::unique_ptr<win::TStringList> titles_;

private:
    // Presses spin button `button` (0 left, 1 right) and scrolls one tab if it can.
    void PressSpin(unsigned char button);
};
