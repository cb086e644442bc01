// The paint box: an area the program paints itself through OnPaint on its
// Canvas (also outside painting), with the mouse events.
#pragma once

#include "platform/forms/TCustomControl.h"

namespace win {

class TPaintBox : public TCustomControl {
public:
    explicit TPaintBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TPaintBox"; }

    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

} // namespace win
