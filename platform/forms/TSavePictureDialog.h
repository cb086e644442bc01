// The save dialog for pictures: preset with the bitmap filter and extension.
#pragma once

#include "platform/forms/TSaveDialog.h"

namespace win {

class TSavePictureDialog : public TSaveDialog {
public:
    explicit TSavePictureDialog(TComponent *Owner);
    AnsiString ClassName() const override { return "TSavePictureDialog"; }
};

} // namespace win
