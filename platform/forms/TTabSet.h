// The tab set: a strip of tabs hanging from its top edge, the selected one
// painted in SelectedColor and open to the area above, the others in
// UnselectedColor on BackgroundColor. TabIndex -1 shows no tab selected. Every
// change of TabIndex (a click on a tab or the program) asks OnChange first,
// which may refuse it, and is followed by OnClick; a click that changes nothing
// clicks nothing. When the tabs do not all fit, two arrows at the right end of
// the strip scroll it a tab left or right (FirstIndex), so that every tab can be
// reached however narrow the strip is.
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/TControlItems.h"
#include "platform/forms/TCustomControl.h"

namespace win {

using TTabChangeEvent = std::function<void(TObject *Sender, int NewTab, bool &AllowChange)>;

class TTabSet : public TCustomControl {
public:
    explicit TTabSet(TComponent *Owner);
    ~TTabSet() override;
    AnsiString ClassName() const override { return "TTabSet"; }
    void WndProc(TMessage &Message) override;

    TControlItems *const Tabs;

    int GetTabIndex() const { return tabIndex_; }
    // -1 (no tab) up to the last tab; anything else is ignored.
    void SetTabIndex(int index);
    int GetFirstIndex() const { return firstIndex_; }
    void SetFirstIndex(int index);
    TColor GetSelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor color);
    TColor GetUnselectedColor() const { return unselectedColor_; }
    void SetUnselectedColor(TColor color);
    TColor GetBackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor color);

    Property<TTabSet, int, &TTabSet::GetTabIndex, &TTabSet::SetTabIndex> TabIndex{this};
    Property<TTabSet, int, &TTabSet::GetFirstIndex, &TTabSet::SetFirstIndex> FirstIndex{this};
    Property<TTabSet, TColor, &TTabSet::GetSelectedColor, &TTabSet::SetSelectedColor> SelectedColor{this};
    Property<TTabSet, TColor, &TTabSet::GetUnselectedColor, &TTabSet::SetUnselectedColor> UnselectedColor{this};
    Property<TTabSet, TColor, &TTabSet::GetBackgroundColor, &TTabSet::SetBackgroundColor> BackgroundColor{this};
    TTabChangeEvent OnChange;

    // The rectangle of a shown tab (empty for a tab left of FirstIndex), and the
    // shown tab at a client point (-1 for none).
    TRect ItemRect(int index);
    int ItemAtPos(TPoint pos);
    // The scroll arrows' rectangles (left arrow, right arrow); empty while all
    // tabs fit.
    TRect ScrollLeftRect();
    TRect ScrollRightRect();

protected:
    bool PaintsItself() const override { return false; }
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // A strip grown wider shows the tabs before FirstIndex again where they fit;
    // a narrower one keeps the selected tab in view.
    void Resize() override;

private:
    void TabsChanged();
    // Makes the selected tab fully shown when it fits.
    void FixTabPos();
    int TabWidth(int index);
    // Whether the arrows show, and the width left to the tabs.
    bool Scrolls();
    int TabAreaWidth();
    // Whether the last tab ends within the tab area.
    bool LastTabShown();
    void PaintArrows();

    std::unique_ptr<TControlItems> tabs_;
    int tabIndex_ = -1;
    int firstIndex_ = 0;
    TColor selectedColor_ = clBtnFace;
    TColor unselectedColor_ = clWindow;
    TColor backgroundColor_ = clBtnFace;
};

} // namespace win
