// The sloped tab strip: one row of trapezoid tabs between two spin buttons,
// drawn by the control, scrolled by the spin buttons (with auto-repeat) and the
// Left and Right keys, reporting the selected tab through OnTitleChange. Also
// ShadeColor, the colour routine of both tab strips.
#pragma once

#include <functional>

#include "lumon/shell/TabSpinStrip.h"

// Lightens (toward white) or darkens (toward black) each byte of the colour by
// the percentage, clamped to 0..100; the high byte of a system colour is ignored.
win::TColor ShadeColor(win::TColor color, int percent, bool lighten);

using TTitleChangeEvent = std::function<void(win::TObject *Sender, int TabIndex)>;

class TLMPageTab : public TTabSpinStrip {
public:
    explicit TLMPageTab(win::TComponent *Owner);
    win::AnsiString ClassName() const override { return "TLMPageTab"; }

    void SetColor(win::TColor color) override;
    void SetFont(win::TFont *font);
    void SetActiveFontColor(win::TColor color);
    void SetBorderColor(win::TColor color);
    void SetArrowColor(win::TColor color);
    void SetButtonColor(win::TColor color);
    void SetActiveButtonColor(win::TColor color);
    void SetSlope(int slope);
    // Takes a copy of the titles (the first 128) and selects the first.
    void SetTitles(win::TStringList *titles);
    void ClearTitle();
    // Appends a title; refused once 128 are held.
    void AddTitle(const char *title);
    void SetFontColor(win::TColor color);
    // Selects tab i, scrolls it into view and reports it; nothing for the
    // current index or one out of range.
    void SetActiveTabItem(int i);

    win::TColor GetActiveFontColor() const { return activeFontColor_; }
    win::TColor GetBorderColor() const { return borderColor_; }
    win::TColor GetArrowColor() const { return arrowColor_; }
    win::TColor GetButtonColor() const { return buttonColor_; }
    win::TColor GetActiveButtonColor() const { return activeButtonColor_; }
    int GetSlope() const { return slope_; }
    win::TStringList *GetTitles() const { return titles_.get(); }

    win::Property<TLMPageTab, win::TColor, &TLMPageTab::GetActiveFontColor, &TLMPageTab::SetActiveFontColor>
        ActiveFontColor{this};
    win::Property<TLMPageTab, win::TColor, &TLMPageTab::GetBorderColor, &TLMPageTab::SetBorderColor> BorderColor{
        this};
    win::Property<TLMPageTab, win::TColor, &TLMPageTab::GetArrowColor, &TLMPageTab::SetArrowColor> ArrowColor{
        this};
    win::Property<TLMPageTab, win::TColor, &TLMPageTab::GetButtonColor, &TLMPageTab::SetButtonColor> ButtonColor{
        this};
    win::Property<TLMPageTab, win::TColor, &TLMPageTab::GetActiveButtonColor, &TLMPageTab::SetActiveButtonColor>
        ActiveButtonColor{this};
    win::Property<TLMPageTab, int, &TLMPageTab::GetSlope, &TLMPageTab::SetSlope> Slope{this};
    win::Property<TLMPageTab, win::TStringList *, &TLMPageTab::GetTitles, &TLMPageTab::SetTitles> Titles{this};
    TTitleChangeEvent OnTitleChange;

protected:
    void Paint() override;
    void PaintSpinButtons() override;
    void CalculateTabRects() override;
    void PaintTabs() override;
    bool CanScrollRight(bool byButton) const override;
    void ClickTab(int X, int Y) override;

    // The spin rectangles and arrow points for the current size and font.
    void LayoutSpinButtons();
    void PaintActiveTitle();
    // Moves first so that the active tab comes into view.
    void ScrollActiveIntoView();

    win::TPoint pressedArrows_[6];
    win::TRect tabRects_[kMaxTitles];
    int end_ = 0;
    win::TColor activeFontColor_ = win::clBlue;
    win::TColor borderColor_ = win::clGray;
    win::TColor arrowColor_ = win::clBlack;
    win::TColor buttonColor_ = win::clSilver;
    win::TColor activeButtonColor_ = win::clBlack;
    int slope_ = 4;
};
