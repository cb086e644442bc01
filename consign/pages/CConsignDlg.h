// The order client's main window: a modeless property sheet of thirteen pages
// with the status button below the tabs, the caption link at the bottom left,
// the title with the gateway's address or the broken-connection mark, the tray
// icon and the show/hide hot key, the ping and reconnection timers, the
// client's keyboard shortcuts and the hand-over of order requests from the
// terminal or a second copy. It is what the gateway session tells.
#pragma once

#include "consign/pages/CCXZZPage.h"
#include "consign/pages/CKJJ.h"
#include "consign/pages/COrderPage.h"
#include "consign/pages/COtherPage.h"
#include "consign/pages/CPLSZDlg.h"
#include "consign/pages/CPreOrderPage.h"
#include "consign/pages/CQContractPage.h"
#include "consign/pages/CQDealPage.h"
#include "consign/pages/CQFundPage.h"
#include "consign/pages/CQOrderPage.h"
#include "consign/pages/CQPositionPage.h"
#include "consign/pages/CQSettlePage.h"
#include "consign/pages/CZZ.h"
#include "consign/session/CmdLineOrder.h"
#include "consign/session/SessionListener.h"
#include "platform/appframe/CButton.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/appframe/CToolTipCtrl.h"

class CConsignDlg : public win::CPropertySheet, public CSessionListener {
public:
    explicit CConsignDlg(win::LPCSTR caption, win::CWnd *pParent = nullptr, win::UINT selectPage = 0);
    ~CConsignDlg() override;

    win::BOOL OnInitDialog() override;
    win::BOOL OnCommand(win::WPARAM wParam, win::LPARAM lParam) override;
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override;
    win::BOOL ContinueModal() override;

    // Rebuilds the title: program name, "--", the customer's name with "客户" or
    // the account with "交易员".
    void UpdateTitle();
    // Fills the order page from a command-line record; empty fields leave their
    // control as it is.
    void FillOrderFromCommandLine(const CCmdLineOrder &record);
    // The close procedure: asks, then logs out and writes the window rectangle.
    void CloseSheet();
    // Today's pre-orders of the login account from the settings file, and
    // their save at close.
    void LoadPreOrders();
    void SavePreOrders();
    // The column layouts of the pre-order and batch member lists, at close.
    void SaveListLayouts();

    // The text drawn as a link at the bottom left ([Config] custom).
    win::CString m_strCustom;
    win::CString m_strTitle;
    win::CString m_strLinkAddress;
    win::CRect m_LinkRect;
    win::CButton m_StatusButton;
    win::CToolTipCtrl m_ToolTip;
    int m_nReconnectSkip = 0;
    bool m_bBlink = false;
    bool m_bConnectedLook = false;
    bool m_bBrokenLook = false;

    COrderPage m_OrderPage;
    CQOrderPage m_QOrderPage;
    CQDealPage m_QDealPage;
    CQPositionPage m_QPositionPage;
    CQFundPage m_QFundPage;
    CQContractPage m_QContractPage;
    CPreOrderPage m_PreOrderPage;
    CPLSZDlg m_BatchPage;
    CZZ m_TransferPage;
    CCXZZPage m_TransferQueryPage;
    CQSettlePage m_SettlePage;
    COtherPage m_OtherPage;
    CKJJ m_HotKeyPage;

    // CSessionListener.
    void ShowStatusText(win::LPCSTR text) override;
    void ShowMessageLine(win::LPCSTR text) override;
    void SetMainTitle(win::LPCSTR text) override;
    void ShowInformation(const win::BYTE *body, int length, bool manual) override;
    void ShowErrorInformation(win::LPCSTR text) override;
    void ShowExchangeState(win::LPCSTR text) override;
    void RefreshList(SessionList list) override;
    void OnOrderAnswer(const COrderRecord &order) override;
    void OnOrderRejected(const COrderRecord &order, win::LPCSTR text) override;
    void OnCancelReport(const COrderRecord &order) override;
    void OnDealReport(win::BYTE *record) override;
    void AddFailedBatchOrder(const COrderRecord &order) override;
    void OnQuote(const win::BYTE *record) override;
    void SetPositionText(win::LPCSTR text) override;
    void FillCustomerBox(const std::vector<win::CString> &texts, bool first, bool last) override;
    void ShowTransferResult(win::LPCSTR text) override;
    void ShowBankInfo(win::LPCSTR text) override;
    void SetWithdrawableFunds(win::LPCSTR text) override;
    void ShowClientName(win::LPCSTR text) override;
    void EnableReconnectItem(bool enable) override;
    void StartReconnectTimer(win::UINT elapseMs) override;
    void StopReconnectTimer() override;

    // The sheet's minimum size and the layout of its tab control, status button
    // and pages.
    static constexpr int MIN_WIDTH = 530;
    static constexpr int MIN_HEIGHT = 320;
    void LayOut();

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnPaint();
    void OnTimer(win::UINT_PTR nIDEvent);
    void OnSysCommand(win::UINT nID, win::LPARAM lParam);
    void OnShowWindow(win::BOOL bShow, win::UINT nStatus);
    void OnClose();
    void OnHotKey(win::UINT nHotKeyId, win::UINT nKey1, win::UINT nKey2);
    void OnMouseMove(win::UINT nFlags, win::CPoint point);
    void OnLButtonDown(win::UINT nFlags, win::CPoint point);
    win::LRESULT OnTrayNotify(win::WPARAM wParam, win::LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ComputeLinkRect();
    void OpenLink();
    void Reconnect();
    void RefreshCurrentPage();
    void ActivatePage(int index);
    void SetDefaultSize();
    void TakeCopyData(const win::COPYDATASTRUCT *data);
    void AnnounceToCaller();
    void PlaceFromSettings();
    // Shows or hides the sheet, with the tray icon while it is hidden.
    void ShowSheet(bool show);
    void SheetShown(bool show);

    win::HICON icon_ = 0;
    win::CFont statusFont_;
    win::CFont linkFont_;
    win::HCURSOR handCursor_ = 0;
    win::HCURSOR previousCursor_ = 0;
    bool shown_ = false;
    bool firstShow_ = true;
    win::UINT_PTR pingTimer_ = 0;
    win::UINT_PTR reconnectTimer_ = 0;
    int refreshCounter_ = 0;
};
