// The tool bar: a strip (at the top unless aligned otherwise) that lines up its
// visible tool buttons from the left in the order they were placed on it, each
// ButtonWidth x ButtonHeight (separators keep their own width); hidden buttons
// take no room. Buttons show the bar's Images by their ImageIndex, and their
// captions with ShowCaptions.
#pragma once

#include <vector>

#include "platform/forms/TCustomControl.h"

namespace win {

class TImageList;
class TToolButton;

class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent *Owner);
    AnsiString ClassName() const override { return "TToolBar"; }

    int GetButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    int GetButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int height);
    TImageList *GetImages() const { return images_; }
    void SetImages(TImageList *images);
    bool GetShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool show);
    int GetButtonCount() const;
    // The tool buttons in their order on the bar, hidden ones included.
    TToolButton *Buttons(int index) const;

    Property<TToolBar, int, &TToolBar::GetButtonWidth, &TToolBar::SetButtonWidth> ButtonWidth{this};
    Property<TToolBar, int, &TToolBar::GetButtonHeight, &TToolBar::SetButtonHeight> ButtonHeight{this};
    Property<TToolBar, TImageList *, &TToolBar::GetImages, &TToolBar::SetImages> Images{this};
    Property<TToolBar, bool, &TToolBar::GetShowCaptions, &TToolBar::SetShowCaptions> ShowCaptions{this};
    ReadOnlyProperty<TToolBar, int, &TToolBar::GetButtonCount> ButtonCount{this};

    // Inside the library: a button joined, left, was shown or hidden.
    void ButtonsChanged();

protected:
    bool PaintsItself() const override { return false; }
    void Paint() override;

private:
    std::vector<TToolButton *> ButtonList() const;

    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    TImageList *images_ = nullptr;
    bool showCaptions_ = false;
};

} // namespace win
