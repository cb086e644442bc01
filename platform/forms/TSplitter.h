// The splitter: a bar beside an aligned control that resizes that control when
// dragged with the left button (never below MinSize), then fires OnMoved.
#pragma once

#include "platform/forms/TCustomControl.h"

namespace win {

class TSplitter : public TCustomControl {
public:
    explicit TSplitter(TComponent *Owner);
    AnsiString ClassName() const override { return "TSplitter"; }

    // The smallest size the resized control is given.
    int MinSize = 30;
    TNotifyEvent OnMoved;

protected:
    bool PaintsItself() const override { return false; }
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    // The control of the same alignment whose edge touches the splitter, or null.
    TControl *Neighbour() const;
    // Moves the splitter by `delta` along its axis by resizing the neighbour;
    // true when the neighbour's size changed.
    bool Drag(int delta);

    bool dragging_ = false;
    bool moved_ = false;
    TPoint grab_;
};

} // namespace win
