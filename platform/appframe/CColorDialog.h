// The framework's colour dialog over the form library's colour chooser: starts
// on a given colour and hands out the chosen one. Tests answer it through the
// common dialogs' recorder (TCommonDialog.h), where it shows as "CColorDialog".
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/win/WinTypes.h"

namespace win {

class CWnd;

class CColorDialog {
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd *pParentWnd = nullptr);
    virtual ~CColorDialog() = default;

    // IDOK with the chosen colour, or IDCANCEL (the colour stays the initial one).
    virtual int DoModal();
    COLORREF GetColor() const { return color_; }
    void SetCurrentColor(COLORREF color) { color_ = color; }

private:
    COLORREF color_;
};

} // namespace win
