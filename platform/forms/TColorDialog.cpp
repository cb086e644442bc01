#include "platform/forms/TColorDialog.h"

#include <QApplication>
#include <QColorDialog>

#include <cstdio>

#include "platform/forms/WindowHost.h"

namespace win {

bool TColorDialog::Execute()
{
    COLORREF preset = ColorToRGB(Color);
    char initial[16];
    std::snprintf(initial, sizeof initial, "0x%06X", static_cast<unsigned>(preset));
    if (std::optional<DialogAnswer> answer = RecordedDialogAnswer({ClassName(), Title, initial, ""})) {
        if (!answer->accepted)
            return false;
        Color = answer->color;
        return true;
    }
    if (!CanShowDialogs())
        return false;
    QColorDialog dialog(QColor(GetRValue(preset), GetGValue(preset), GetBValue(preset)), QApplication::activeWindow());
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    if (!Title.IsEmpty())
        dialog.setWindowTitle(QtText(Title.c_str()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QColor chosen = dialog.selectedColor();
    Color = static_cast<TColor>(RGB(chosen.red(), chosen.green(), chosen.blue()));
    return true;
}

} // namespace win
