// The drive box: the drives to choose from. Linux has one, the root "/", so the
// box shows "/" only and the folder list it drives (DirList) never has to move
// to another drive.
#pragma once

#include "platform/forms/TComboBox.h"

namespace win {

class TDirectoryListBox;

class TDriveComboBox : public TComboBox {
public:
    explicit TDriveComboBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TDriveComboBox"; }

    TDirectoryListBox *DirList = nullptr;
};

} // namespace win
