// The settlement statement page: fetches a customer's statement from the
// gateway, unpacks it and shows it.
#pragma once

#include "consign/pages/cdxCSizingPropPage.h"
#include "platform/appframe/CComboBox.h"
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
    // 输出到文件: the statement copied to a file the user names, suggested as
    // "<customer>_<date>.txt".
    void OnSaveToFile();

    win::CString m_strStatement; // 1106
    win::CString m_strFontSize;  // 1116
    win::CTime m_Date;           // 1148
    win::CString m_strTextPath;
    win::CComboBox m_CustomerBox; // 1105

protected:
    DECLARE_MESSAGE_MAP()
};
