// The image control: shows its Picture's bitmap at the top left, centred
// (Center) or stretched over the whole control (Stretch, which wins). The
// program repaints it (Invalidate) after drawing on the bitmap.
#pragma once

#include "platform/forms/TCustomControl.h"
#include "platform/forms/TPicture.h"

namespace win {

class TImage : public TCustomControl {
public:
    explicit TImage(TComponent *Owner);
    ~TImage() override;
    AnsiString ClassName() const override { return "TImage"; }

    bool GetStretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool GetCenter() const { return center_; }
    void SetCenter(bool center);

    Property<TImage, bool, &TImage::GetStretch, &TImage::SetStretch> Stretch{this};
    Property<TImage, bool, &TImage::GetCenter, &TImage::SetCenter> Center{this};
    TPicture *const Picture;

protected:
    bool PaintsItself() const override { return false; }
    void Paint() override;

private:
    bool stretch_ = false;
    bool center_ = false;
};

} // namespace win
