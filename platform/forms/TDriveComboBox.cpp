#include "platform/forms/TDriveComboBox.h"

namespace win {

TDriveComboBox::TDriveComboBox(TComponent *Owner) : TComboBox(Owner)
{
    SetStyle(csDropDownList);
    Items->Add("/");
    SetItemIndex(0);
}

} // namespace win
