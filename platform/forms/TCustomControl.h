// A control that paints itself: its Canvas (usable at any time, also outside
// painting) and the Paint it overrides; mouse and keys arrive through the
// overridable handlers of TControl and TWinControl.
#pragma once

#include "platform/forms/TControlCanvas.h"
#include "platform/forms/TWinControl.h"

namespace win {

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent *Owner);
    ~TCustomControl() override;
    AnsiString ClassName() const override { return "TCustomControl"; }

    TControlCanvas *const Canvas;

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    // A custom control is painted by the program; the library's stock ones say not.
    bool PaintsItself() const override { return true; }
    void CreateWnd() override;
};

} // namespace win
