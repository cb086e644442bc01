#include "platform/appframe/CFileDialog.h"

#include "platform/forms/TSaveDialog.h"
#include "platform/win/MessageBox.h"

namespace win {

namespace {

// The form library's dialogs under the framework's name, so that the recorder
// tells them apart.
class FrameworkOpenDialog : public TOpenDialog {
public:
    FrameworkOpenDialog() : TOpenDialog(nullptr) {}
    AnsiString ClassName() const override { return "CFileDialog"; }
};

class FrameworkSaveDialog : public TSaveDialog {
public:
    FrameworkSaveDialog() : TSaveDialog(nullptr) {}
    AnsiString ClassName() const override { return "CFileDialog"; }
};

// The framework ends its filter with "||"; the form library's has no end mark.
AnsiString FormsFilter(const CString &filter)
{
    CString text = filter;
    while (text.GetLength() > 0 && text[text.GetLength() - 1] == '|')
        text = text.Left(text.GetLength() - 1);
    return AnsiString(static_cast<LPCSTR>(text));
}

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd *)
    : open_(bOpenFileDialog != FALSE), defaultExt_(lpszDefExt ? lpszDefExt : ""),
      path_(lpszFileName ? lpszFileName : ""), filter_(lpszFilter ? lpszFilter : ""), flags_(dwFlags)
{
}

int CFileDialog::DoModal()
{
    FrameworkOpenDialog openDialog;
    FrameworkSaveDialog saveDialog;
    TOpenDialog &dialog = open_ ? static_cast<TOpenDialog &>(openDialog) : saveDialog;
    dialog.FileName = static_cast<LPCSTR>(path_);
    dialog.DefaultExt = static_cast<LPCSTR>(defaultExt_);
    dialog.Filter = FormsFilter(filter_);
    if (flags_ & OFN_OVERWRITEPROMPT)
        dialog.Options << ofOverwritePrompt;
    if (flags_ & OFN_NOCHANGEDIR)
        dialog.Options << ofNoChangeDir;
    if (flags_ & OFN_PATHMUSTEXIST)
        dialog.Options << ofPathMustExist;
    if (flags_ & OFN_FILEMUSTEXIST)
        dialog.Options << ofFileMustExist;
    if (!dialog.Execute())
        return IDCANCEL;
    path_ = static_cast<const char *>(dialog.FileName.c_str());
    return IDOK;
}

} // namespace win
