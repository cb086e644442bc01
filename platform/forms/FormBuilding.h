// Helpers for forms built in code rather than from a form file: a control placed
// on its parent, a label at a point, and the usual settings of a fixed-size
// dialog in the programs' font.
#pragma once

#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"

namespace win {

// A new control of type T owned by `owner`, on `parent`, at the bounds given.
template <typename T>
T *Place(TComponent *owner, TWinControl *parent, int left, int top, int width, int height)
{
    auto *control = new T(owner);
    control->Parent = parent;
    control->SetBounds(left, top, width, height);
    return control;
}

// A label that sizes itself to `caption`, with its top-left corner at (left, top).
inline TLabel *AddLabel(TComponent *owner, TWinControl *parent, int left, int top, const char *caption)
{
    auto *label = new TLabel(owner);
    label->Parent = parent;
    label->Left = left;
    label->Top = top;
    label->Caption = caption;
    return label;
}

// A fixed-size dialog with only the system menu, centred on the screen, of the
// given client size, in 12-pixel 宋体.
inline void SetUpDialog(TForm &form, const char *caption, int clientWidth, int clientHeight)
{
    form.Caption = caption;
    form.BorderStyle = bsDialog;
    form.BorderIcons = TBorderIcons() << biSystemMenu;
    form.Position = poScreenCenter;
    form.ClientWidth = clientWidth;
    form.ClientHeight = clientHeight;
    form.Font->Name = "宋体";
    form.Font->Height = -12;
    form.FontChanged();
}

} // namespace win
