#include "platform/appframe/CColorDialog.h"

#include "platform/forms/TColorDialog.h"
#include "platform/win/MessageBox.h"

namespace win {

namespace {

// The form library's chooser under the framework's name, so that the recorder
// tells the two apart.
class FrameworkColorDialog : public TColorDialog {
public:
    FrameworkColorDialog() : TColorDialog(nullptr) {}
    AnsiString ClassName() const override { return "CColorDialog"; }
};

} // namespace

CColorDialog::CColorDialog(COLORREF clrInit, DWORD, CWnd *) : color_(clrInit) {}

int CColorDialog::DoModal()
{
    FrameworkColorDialog chooser;
    chooser.Color = static_cast<TColor>(color_);
    if (!chooser.Execute())
        return IDCANCEL;
    color_ = ColorToRGB(chooser.Color);
    return IDOK;
}

} // namespace win
