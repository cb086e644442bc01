// The orders page: today's orders of the customers, with their status. Its three
// filter boxes (已成交, 已撤单, 错误委托) also rule which orders the order entry
// page's list shows. A double click cancels the chosen order after a question;
// the sheet's cancel key cancels an order by its number.
#pragma once

#include "consign/pages/QueryList.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class COrderPage;

class CQOrderPage : public win::CPropertyPage {
public:
    enum { IDD = 130, COLUMNS = 11 };
    CQOrderPage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // The boxes' states from [Config] OrderDealed, OrderDeleted and OrderError
    // (1 checked, anything else not), and their writing back at close.
    void LoadFilters();
    void SaveFilters() const;

    // Rebuilds the rows: the refused orders first when 错误委托 is checked, then
    // the order list without the dealt or cancelled orders the boxes hide.
    void RefreshList();
    // An accepted order joins the order list; a refused one the refused list.
    void OnOrderAnswer(const COrderRecord &order);
    void OnOrderRejected(const COrderRecord &order, win::LPCSTR text);
    // A deal report: the order loses the dealt lots and its row shows its new
    // state (or leaves when fully dealt and 已成交 is unchecked). The order's
    // letter is written into the report for the deals page.
    bool OnDealReport(win::BYTE *report);
    // A status report: the order's letter and system number.
    // Both false when no order has the report's number.
    bool OnCancelReport(const COrderRecord &report);
    // The selected order, after a question; only waiting, accepted or partly
    // dealt orders can be cancelled.
    void CancelSelected();
    // Asks for an order number (dialog 145) and cancels that order at once.
    void CancelByNumber();

    // 已成交: fully dealt orders are listed; 已撤单: cancelled ones; 错误委托:
    // the refused orders come first.
    int m_bShowDealt = 0;     // 1240
    int m_bShowCancelled = 0; // 1241
    int m_bShowErrors = 0;    // 1242

    win::CListCtrl m_List;    // 1004
    QueryLayout m_Layout{};
    // The order entry page, whose list follows the boxes.
    COrderPage *m_pOrderPage = nullptr;

protected:
    void OnFilterClicked();
    void OnSize(win::UINT nType, int cx, int cy);
    void OnDblClkList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnColumnClick(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

private:
    void SendCancel(const win::BYTE *order, char status, bool withTrader);
};
