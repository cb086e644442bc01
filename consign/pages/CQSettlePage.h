// The settlement statement page: fetches a customer's statement from the
// gateway, unpacks it, shows it, prints it, previews it and saves it to a file.
#pragma once

#include "consign/pages/CViewPrintPreview.h"
#include "consign/pages/cdxCSizingPropPage.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CSingleDocTemplate.h"
#include "platform/win/CString.h"
#include "platform/win/CTime.h"

class CQSettlePage : public cdxCSizingPropPage {
public:
    enum { IDD = 159 };
    CQSettlePage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    win::BOOL OnKillActive() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // 查询: the statement of the chosen customer, shown; no file stays.
    void OnOK() override;
    // Asks for the statement and unpacks it; the statement text shows what was
    // read (empty when nothing came). The archive never stays; the text file
    // stays for the caller. False when no text file resulted.
    bool FetchStatement();
    // The statement in box 1106 as it prints: without its markup, centred lines
    // centred, lines in another font in theirs.
    void ShowStatement();
    // 输出到文件: the statement copied to a file the user names, suggested as
    // "<customer>_<date>.txt".
    void OnSaveToFile();
    // 打印: the statement fetched again and printed through the print dialog.
    // Also the framework's print command (the print preview's print button).
    void OnPrint();
    // 预览: the statement fetched again and shown in the print preview.
    void OnPreview();
    // A new print frame and view holding the statement text file's text, in the
    // chosen font size, "宋体" and the page's margins: the view, or null (with the
    // message) when the text file cannot be read.
    CViewPrintPreview *CreatePrintView();

    win::CString m_strStatement; // 1106
    win::CString m_strFontSize;  // 1116
    win::CTime m_Date;           // 1148
    win::CString m_strTextPath;
    win::CComboBox m_CustomerBox; // 1105

    // Made at the first print or preview and kept (the application frees it).
    win::CSingleDocTemplate *m_pPrintTemplate = nullptr;
    win::HICON m_hIcon = 0;

protected:
    DECLARE_MESSAGE_MAP()
};
