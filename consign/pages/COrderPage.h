// The order entry page, the first of the main sheet: the order's fields
// (customer, contract, trade code, direction, volume, price, open or close,
// speculation or hedge), the quote of the contract and the page's order list.
// It sends single and batch orders, stores pre-orders, cancels orders by a
// double click and sends the orders handed over for direct sending.
#pragma once

#include <vector>

#include "consign/session/CmdLineOrder.h"
#include "consign/session/ConsignSettings.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class CPreOrderPage;
class CQOrderPage;

class COrderPage : public win::CPropertyPage {
public:
    enum { IDD = 102 };
    COrderPage();

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;
    win::BOOL OnSetActive() override;
    win::BOOL OnKillActive() override;
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;
    // Enter and Esc belong to the sheet.
    void OnOK() override {}
    void OnCancel() override {}

    // The customer's name in client mode (field 1014, shown in place of 1011).
    void ShowClientName(win::LPCSTR name);
    // 1014 over 1011 in client mode, else 1011.
    void ShowCustomerField();

    // What the session and the sheet call.
    void RefreshOrderList();
    void OnDealReport(win::BYTE *report);
    void OnCancelReport(const COrderRecord &report);
    // The quote answer (the 96-byte record in host order), or null for a failed one.
    void ShowQuote(const win::BYTE *record);
    // The maximum-position and closable-volume texts.
    void SetStatusText(win::LPCSTR text);
    // The trade codes of answer 213: `first` empties the list.
    void FillTradeCodes(const std::vector<win::CString> &codes, bool first, bool last);
    // The trade codes of the contract in the contract field, as its confirmation
    // fills them, without moving the focus or complaining of an unknown contract:
    // for an order handed over with a contract and no trade code.
    void ShowTradeCodesOfContract();
    // An order handed over for direct sending: checked as the page checks its
    // own, then sent and shown in a prompt. False (with a log line) when refused.
    bool SendCommandLineOrder(const CCmdLineOrder &record);

    // The handlers (public so that the sheet and tests can run them as a click would).
    void OnSendOrder();
    void OnPreOrder();
    void OnContractChange();
    void ShowVarietyHint();
    void OnContractKillFocus();
    void QueryMaxPosition();
    void UpdateDirectionFlag();
    void UpdateOpenCloseFlag();
    void UpdateHedgeFlag();
    void CancelOrder();
    // The colour chooser of the quote's text.
    void ChooseQuoteColor();

    // The order being built; status 'n' and no flags when the page starts.
    COrderRecord m_Order{};
    // A quote for the contract has arrived (cleared by a failed one and by
    // every send and pre-order); the positions page's closing order wants the
    // quote's price.
    bool m_bQuoteAvailable = false;
    bool m_bPriceFromQuote = false;
    // The first position answer after the volume field got the focus.
    win::CString m_strPosition;
    // The exchange letter of the contract the last check confirmed.
    char m_RememberedLetter = ' ';
    win::COLORREF m_QuoteColor = 0;

    win::CComboBox m_TradeCodeBox;  // 1055
    win::CComboBox m_DirectionBox;  // 1236
    win::CComboBox m_OpenCloseBox;  // 1237
    win::CComboBox m_HedgeBox;      // 1238
    win::CListCtrl m_OrderList;     // 1107

    // The pages this one reaches: the pre-order list it adds to, and the
    // orders page whose filter boxes its list follows.
    CPreOrderPage *m_pPreOrderPage = nullptr;
    CQOrderPage *m_pOrdersPage = nullptr;

    // The focus order of the five rows, from [Order Cequence] of the start
    // settings; the hedge row may be skipped going forward. The rows are laid
    // out in that order.
    void LoadFocusOrder();
    OrderFocusEntry m_Rows[5]{};
    bool m_Skip[5]{};

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    win::HBRUSH OnCtlColor(win::CDC *pDC, win::CWnd *pWnd, win::UINT nCtlColor);
    void OnVolumeKillFocus();
    void OnPriceKillFocus();
    void OnPriceSetFocus();
    void OnDblClkList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnColumnClick(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

private:
    // The input checks of a send and a pre-order, in field order; the first
    // failure shows its message and takes the focus to its field.
    bool CheckInputs(win::CString &customer, win::CString &contract, win::CString &tradeCode);
    // The trade-code list of a confirmed contract: asked of the gateway for the
    // customer (trader mode) or the client's own codes on the contract's exchange
    // (client mode); false in client mode without any codes.
    bool LoadTradeCodes(const CContractRecord &contract, const win::CString &customer);
    bool CheckCustomerCode(win::CString &customer);
    bool CheckContractCode(win::CString &contract);
    // The volume text as a number: 0 for an empty text when `emptyIsZero`;
    // -1 for a text that is no whole number from 0 to 2^31 - 1.
    int ReadVolume(bool emptyIsZero);
    void FillRecord(const win::CString &customer, const win::CString &contract, const win::CString &tradeCode,
                    int volume);
    void ReadFlags();
    void ClearAfterOrder(bool preOrder);
    void FocusField(int id, bool selectAll = true);
    int RowOf(int controlId) const;
    void SetQuoteTexts(const char *texts[6]);
    bool changingContract_ = false;
    bool inKillFocus_ = false;
};
