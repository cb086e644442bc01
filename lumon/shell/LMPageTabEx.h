// The rounded tab strip: one row of gradient cells with 3-D edges between two
// half-disc spin buttons, all colours derived from Color, scrolled by the spin
// buttons (with auto-repeat) and the Left and Right keys; OnTabChange is asked
// before the active tab changes and may refuse it.
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/TCustomControl.h"
#include "platform/forms/TTimer.h"
#include "platform/win/TStringList.h"

using TTabChangeEvent = std::function<void(win::TObject *Sender, int TabIndex, bool &AllowChange)>;

class TLMPageTabEx : public win::TCustomControl {
public:
    static constexpr int kMaxTitles = 128;

    explicit TLMPageTabEx(win::TComponent *Owner);
    ~TLMPageTabEx() override;
    win::AnsiString ClassName() const override { return "TLMPageTabEx"; }

    void SetColor(win::TColor color) override;
    // Takes the font's face and style; its height stays the control height less 4
    // and its colour black.
    void SetFont(win::TFont *font);
    // Takes a copy of the titles (the first 128).
    void SetTitles(win::TStringList *titles);
    void SetActiveTab(int i);
    void WndProc(win::TMessage &Message) override;

    int GetActiveTab() const { return active_; }
    win::TStringList *GetTitles() const { return titles_.get(); }

    win::Property<TLMPageTabEx, win::TStringList *, &TLMPageTabEx::GetTitles, &TLMPageTabEx::SetTitles> Titles{
        this};
    win::Property<TLMPageTabEx, int, &TLMPageTabEx::GetActiveTab, &TLMPageTabEx::SetActiveTab> ActiveTab{this};
    TTabChangeEvent OnTabChange;

protected:
    void Paint() override;
    void MouseDown(win::TMouseButton Button, win::TShiftState Shift, int X, int Y) override;
    void MouseMove(win::TShiftState Shift, int X, int Y) override;
    void MouseUp(win::TMouseButton Button, win::TShiftState Shift, int X, int Y) override;
    void KeyDown(win::WORD &Key, win::TShiftState Shift) override;
    void KeyUp(win::WORD &Key, win::TShiftState Shift) override;
    void Timer(win::TObject *Sender);

    // The spin rectangles and arrow points for the current size.
    void LayoutSpinButtons();
    void PaintSpinButtons();
    void CalculateTitleWidth();
    void CalculateTabRects();
    void PaintTabs();
    // The width a title cell asks for, and whether the last cell drawn is cut.
    int CellWidth(int i) const;
    bool LastCellCut() const;
    // Moves first so that the active cell comes into view; `bound` limits the
    // cells counted.
    void ScrollActiveIntoView(int bound);
    bool AllowChange(int i);
    void StartRepeat();
    void StopRepeat();
    void DeriveColors();
    void ForceFont();
    int TitleCount() const;

    int margin_ = 0;
    win::TRect leftSpin_;
    win::TRect rightSpin_;
    win::TPoint arrows_[6];
    win::TRect cellRects_[kMaxTitles + 1];
    int titleWidths_[kMaxTitles] = {};
    int first_ = 0;
    int last_ = 0;
    int active_ = 0;
    unsigned char pressed_ = 255;
    unsigned char hover_ = 255;
    int lastX_ = 0;
    int lastY_ = 0;
    std::unique_ptr<win::TTimer> repeat_;
    win::TColor cellColor_ = 0;
    win::TColor activeCellColor_ = 0;
    win::TColor fillerColor_ = 0;
    win::TColor arrowColor_ = win::clWhite;
    std::unique_ptr<win::TStringList> titles_;
};
