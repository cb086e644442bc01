// The canvas of a control that paints itself: during painting it draws on the
// paint context; at any other time on the control's own image, whose changed
// parts reach the screen at the next update.
#pragma once

#include "platform/gdi/TCanvas.h"

namespace win {

class TControl;

class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl *control) : control_(control) {}
    ~TControlCanvas() override;

    // Inside the library: draws on `dc` until EndPaint (0: back to the image).
    void BeginPaint(HDC dc);
    void EndPaint();

protected:
    void CreateHandle() override;

private:
    TControl *control_;
    HDC own_ = 0;
    HDC saved_ = 0;
};

} // namespace win
