// The rounded tab strip: one row of gradient cells with 3-D edges between two
// half-disc spin buttons, all colours derived from Color, scrolled by the spin
// buttons (with auto-repeat) and the Left and Right keys; OnTabChange is asked
// before the active tab changes and may refuse it.
#pragma once

#include <functional>

#include "lumon/shell/TabSpinStrip.h"

using TTabChangeEvent = std::function<void(win::TObject *Sender, int TabIndex, bool &AllowChange)>;

class TLMPageTabEx : public TTabSpinStrip {
public:
    explicit TLMPageTabEx(win::TComponent *Owner);
    win::AnsiString ClassName() const override { return "TLMPageTabEx"; }

    void SetColor(win::TColor color) override;
    // Takes the font's face and style; its height stays the control height less 4
    // and its colour black.
    void SetFont(win::TFont *font);
    // Takes a copy of the titles (the first 128).
    void SetTitles(win::TStringList *titles);
    void SetActiveTab(int i);

    int GetActiveTab() const { return active_; }
    win::TStringList *GetTitles() const { return titles_.get(); }

    win::Property<TLMPageTabEx, win::TStringList *, &TLMPageTabEx::GetTitles, &TLMPageTabEx::SetTitles> Titles{
        this};
    win::Property<TLMPageTabEx, int, &TLMPageTabEx::GetActiveTab, &TLMPageTabEx::SetActiveTab> ActiveTab{this};
    TTabChangeEvent OnTabChange;

protected:
    void Paint() override;
    void PaintSpinButtons() override;
    void CalculateTabRects() override;
    void PaintTabs() override;
    bool CanScrollRight(bool byButton) const override;
    void ClickTab(int X, int Y) override;

    // The spin rectangles and arrow points for the current size.
    void LayoutSpinButtons();
    // The width a title cell asks for, and whether the last cell drawn is cut.
    int CellWidth(int i) const;
    bool LastCellCut() const;
    // Moves first so that the active cell comes into view; `bound` limits the
    // cells counted.
    void ScrollActiveIntoView(int bound);
    bool AllowChange(int i);
    void DeriveColors();
    void ForceFont();

    int margin_ = 0;
    win::TRect cellRects_[kMaxTitles + 1];
    int last_ = 0;
    win::TColor cellColor_ = 0;
    win::TColor activeCellColor_ = 0;
    win::TColor fillerColor_ = 0;
    win::TColor arrowColor_ = win::clWhite;
};
