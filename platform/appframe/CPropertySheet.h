// The framework's property sheet: a modeless top-level window holding a tab
// control with one tab per page, the current page below it and (when the sheet
// is marked not modeless while OnInitDialog runs) a strip with OK and Cancel
// under them, no Apply or Help. Pages are built when first shown. A tab click,
// Ctrl+Tab / Ctrl+Shift+Tab and Ctrl+PageDown / Ctrl+PageUp, or SetActivePage
// change the page: the current page's OnKillActive may refuse, the new one's
// OnSetActive runs. Enter and Esc inside the sheet are its OK and Cancel
// commands.
#pragma once

#include <vector>

#include "platform/appframe/CPropertyPage.h"
#include "platform/appframe/CTabCtrl.h"

namespace win {

constexpr DWORD PSH_NOAPPLYNOW = 0x00000080;
constexpr DWORD PSH_HASHELP = 0x00000200;
constexpr DWORD PSH_MODELESS = 0x00000400;
// The id of a sheet's tab control.
constexpr UINT AFX_IDC_TAB_CONTROL = 0x3020;

struct PROPSHEETHEADER {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    LPCSTR pszCaption;
    UINT nPages;
    UINT nStartPage;
};

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(LPCSTR pszCaption = nullptr, CWnd *pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage *pPage);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage *GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage *pPage) const;

    // A modeless sheet (style -1: popup, caption, system menu, visible).
    // DS_SYSMODAL keeps it above the other windows.
    virtual BOOL Create(CWnd *pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1), DWORD dwExStyle = 0);
    // Runs once the tab control, the pages' tabs and the button strip exist;
    // shows the start page. The sheet drops the strip of OK and Cancel here
    // unless m_bModeless is FALSE while it runs.
    virtual BOOL OnInitDialog();

    CTabCtrl *GetTabControl() { return &tab_; }
    CPropertyPage *GetActivePage() const;
    int GetActiveIndex() const { return active_; }
    // Changes the page as a tab click does; FALSE when the current page refused
    // to be left or the index names no page. The current page: nothing happens.
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage *pPage);
    void SetTitle(LPCSTR lpszText);

    BOOL PreTranslateMessage(MSG *pMsg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;

    PROPSHEETHEADER m_psh{};

protected:
    BOOL m_bModeless = TRUE;

private:
    BOOL Build(CWnd *pParentWnd, DWORD dwStyle, DWORD dwExStyle);
    RECT PageRect();
    // Hides the current page and shows `index` (made when needed), without
    // asking the current one.
    void ShowPage(int index);
    // Asks the current page to let go; true when it does (or there is none).
    bool LeaveCurrent();

    CString caption_;
    CWnd *parent_ = nullptr;
    std::vector<CPropertyPage *> pages_;
    CTabCtrl tab_;
    CWnd okButton_;
    CWnd cancelButton_;
    int active_ = -1;
    int stripHeight_ = 0;
};

} // namespace win
