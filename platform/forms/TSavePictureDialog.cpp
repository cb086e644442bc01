#include "platform/forms/TSavePictureDialog.h"

namespace win {

TSavePictureDialog::TSavePictureDialog(TComponent *Owner) : TSaveDialog(Owner)
{
    Filter = "位图 (*.bmp)|*.bmp";
    DefaultExt = "bmp";
}

} // namespace win
