// The font dialog: a font chooser preset with Font; on OK Font takes the chosen
// face (GBK), a changed size as the character height in pixels (negative) and
// the styles (bold, italic, underline, strike-out). Its colour and character set stay as they
// were. The chooser offers the faces the programs name ("宋体", "黑体", "Tahoma"
// ...) beside the installed ones, so that a face keeps the name the programs
// store, and always the four styles, also for faces without a bold cut.
#pragma once

#include "platform/forms/TCommonDialog.h"
#include "platform/gdi/Property.h"
#include "platform/gdi/TFont.h"

namespace win {

class TFontDialog : public TCommonDialog {
public:
    explicit TFontDialog(TComponent *Owner) : TCommonDialog(Owner) {}
    AnsiString ClassName() const override { return "TFontDialog"; }

    bool Execute() override;

    ObjectProperty<TFont> Font;
};

} // namespace win
