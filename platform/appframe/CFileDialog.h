// The framework's open and save dialogs over the form library's file dialogs:
// a default extension, a starting name, the framework's filter text
// ("描述|*.txt|...||") and the chosen path. Tests answer it through the common
// dialogs' recorder (TCommonDialog.h), where it shows as "CFileDialog".
#pragma once

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

namespace win {

class CWnd;

constexpr DWORD OFN_READONLY = 0x1;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_NOCHANGEDIR = 0x8;
constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd *pParentWnd = nullptr);
    virtual ~CFileDialog() = default;

    // IDOK with the chosen path, or IDCANCEL.
    virtual int DoModal();
    CString GetPathName() const { return path_; }

private:
    bool open_;
    CString defaultExt_;
    CString path_;
    CString filter_;
    DWORD flags_;
};

} // namespace win
