// The speed button: a flat tool button with a caption; with a GroupIndex it
// stays down when clicked, the other buttons of its group in the same parent
// come up, and with AllowAllUp a click on the down button lets it up. A Glyph
// is a picture drawn on the button (left of its caption when it has one); as
// in the form library it stands for, the colour of the glyph's bottom-left
// pixel is transparent.
#pragma once

#include <memory>

#include "platform/forms/TWinControl.h"

namespace win {

class TBitmap;

class TSpeedButton : public TWinControl {
public:
    explicit TSpeedButton(TComponent *Owner);
    ~TSpeedButton() override;
    AnsiString ClassName() const override { return "TSpeedButton"; }
    void Click() override;

    bool GetDown() const { return down_; }
    // Down only counts for grouped buttons; a button going down lets the others
    // of its group up.
    void SetDown(bool down);
    bool GetFlat() const { return flat_; }
    void SetFlat(bool flat);
    int GetGroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);

    Property<TSpeedButton, bool, &TSpeedButton::GetDown, &TSpeedButton::SetDown> Down{this};
    Property<TSpeedButton, bool, &TSpeedButton::GetFlat, &TSpeedButton::SetFlat> Flat{this};
    Property<TSpeedButton, int, &TSpeedButton::GetGroupIndex, &TSpeedButton::SetGroupIndex> GroupIndex{this};
    bool AllowAllUp = false;

    // The button's own glyph bitmap (empty at first). Setting it copies the
    // picture; after drawing on the returned bitmap, GlyphChanged shows it.
    TBitmap *GetGlyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap *glyph);
    void GlyphChanged();
    Property<TSpeedButton, TBitmap *, &TSpeedButton::GetGlyph, &TSpeedButton::SetGlyph> Glyph{this};

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;
    void ApplyCaption() override;

private:
    void Apply();
    void ApplyGlyph();

    bool down_ = false;
    bool flat_ = false;
    int groupIndex_ = 0;
    std::unique_ptr<TBitmap> glyph_;
};

} // namespace win
