// The scroll box: a control holding others that shows scroll bars when its
// controls reach beyond its client area; scrolling (by the bars, the positions
// or ScrollInView) moves the controls: their Left and Top change.
#pragma once

#include <memory>

#include "platform/forms/TCustomControl.h"

namespace win {

struct ScrollBoxPrivate;

class TScrollBox : public TCustomControl {
public:
    explicit TScrollBox(TComponent *Owner);
    ~TScrollBox() override;
    AnsiString ClassName() const override { return "TScrollBox"; }

    // The client area leaves out the scroll bars shown.
    int GetClientWidth() const override;
    int GetClientHeight() const override;
    // Scrolls so that the control (one of this box's) is wholly shown when it fits.
    void ScrollInView(TControl *AControl);
    // How far the contents are scrolled (0 at the top left).
    int GetHorzPosition() const { return scrollX_; }
    int GetVertPosition() const { return scrollY_; }
    void SetHorzPosition(int position);
    void SetVertPosition(int position);
    // Shows or hides the bars after the controls moved or changed their size.
    void UpdateScrollBars();

    Property<TScrollBox, int, &TScrollBox::GetHorzPosition, &TScrollBox::SetHorzPosition> HorzPosition{this};
    Property<TScrollBox, int, &TScrollBox::GetVertPosition, &TScrollBox::SetVertPosition> VertPosition{this};

protected:
    bool PaintsItself() const override { return false; }
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;
    void Resize() override;
    void Paint() override;

private:
    // Moves every control by (DeltaX, DeltaY) pixels.
    void ScrollBy(int DeltaX, int DeltaY);
    void ScrollTo(int x, int y);

    std::unique_ptr<ScrollBoxPrivate> priv_;
    int scrollX_ = 0;
    int scrollY_ = 0;
    int rangeX_ = 0;
    int rangeY_ = 0;
    bool updating_ = false;
};

} // namespace win
