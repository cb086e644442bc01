// The colour dialog: the standard colour chooser preset with Color; on OK Color
// is the chosen colour as an RGB value (COLORREF).
#pragma once

#include "platform/forms/TCommonDialog.h"

namespace win {

enum TColorDialogOption { cdFullOpen, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TDialogOptions<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
public:
    explicit TColorDialog(TComponent *Owner) : TCommonDialog(Owner) {}
    AnsiString ClassName() const override { return "TColorDialog"; }

    bool Execute() override;

    // The preset (a system colour is shown as its RGB value) and the choice.
    TColor Color = clBlack;
    // Accepted as the programs set them; the chooser always offers the full
    // range of colours, so none of them changes what it shows.
    TColorDialogOptions Options;
};

} // namespace win
