// The tool button of a tool bar: a plain button, a check button that stays down
// until clicked again (Grouped: one down among the neighbouring grouped check
// buttons, and clicking the down one keeps it down unless AllowAllUp), or a
// separator. It draws the bar's image ImageIndex, and its caption when the bar
// shows captions; the bar places it.
#pragma once

#include "platform/forms/TCustomControl.h"

namespace win {

class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsSeparator };

class TToolButton : public TCustomControl {
public:
    explicit TToolButton(TComponent *Owner);
    AnsiString ClassName() const override { return "TToolButton"; }
    // A check button changes its Down state first; separators do not click.
    void Click() override;
    void SetParent(TWinControl *parent) override;
    void SetVisible(bool visible) override;
    void SetCaption(AnsiString caption) override;

    TToolButtonStyle GetStyle() const { return style_; }
    // Separators take 8 pixels unless given another Width.
    void SetStyle(TToolButtonStyle style);
    bool GetDown() const { return down_; }
    // A grouped check button going down lets the others of its group up.
    void SetDown(bool down);
    bool GetGrouped() const { return grouped_; }
    void SetGrouped(bool grouped);
    int GetImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // The bar it sits on, or null.
    TToolBar *GetToolBar() const;
    int GetIndex() const;

    Property<TToolButton, TToolButtonStyle, &TToolButton::GetStyle, &TToolButton::SetStyle> Style{this};
    Property<TToolButton, bool, &TToolButton::GetDown, &TToolButton::SetDown> Down{this};
    Property<TToolButton, bool, &TToolButton::GetGrouped, &TToolButton::SetGrouped> Grouped{this};
    Property<TToolButton, int, &TToolButton::GetImageIndex, &TToolButton::SetImageIndex> ImageIndex{this};
    ReadOnlyProperty<TToolButton, int, &TToolButton::GetIndex> Index{this};
    bool AllowAllUp = false;

protected:
    bool PaintsItself() const override { return false; }
    void Paint() override;

private:
    bool IsSeparator() const { return style_ == tbsSeparator; }
    bool InGroup() const { return grouped_ && style_ == tbsCheck; }

    TToolButtonStyle style_ = tbsButton;
    bool down_ = false;
    bool grouped_ = false;
    int imageIndex_ = -1;
};

} // namespace win
