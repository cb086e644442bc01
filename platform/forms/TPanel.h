// The panel: a control that holds other controls (laid out by their Align),
// painted in its Color with a raised, lowered or no bevel and its caption
// centred in its Font.
#pragma once

#include "platform/forms/TCustomControl.h"

namespace win {

enum TPanelBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent *Owner);
    AnsiString ClassName() const override { return "TPanel"; }
    void SetCaption(AnsiString caption) override;

    TPanelBevel GetBevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel bevel);
    Property<TPanel, TPanelBevel, &TPanel::GetBevelOuter, &TPanel::SetBevelOuter> BevelOuter{this};

protected:
    bool PaintsItself() const override { return false; }
    void Paint() override;

private:
    TPanelBevel bevelOuter_ = bvRaised;
};

} // namespace win
