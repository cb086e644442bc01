// What the gateway session tells the main window and the pages. The main sheet
// implements it; tests give a double that records the calls.
#pragma once

#include <vector>

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

struct COrderRecord;

// The pages that show a record list and refresh when its answer is complete.
enum class SessionList {
    contracts,      // 186: contract page
    deals,          // 187: deals page
    orders,         // 188: orders page and the order entry list
    funds,          // 191: funds page
    batchGroups,    // 214: batch settings page
    positions,      // 216 kind 38: positions page
    bankAccounts,   // 216 kind 4: both transfer pages
    transferRecords // 216 kind 5: the transfer query tabs
};

class CSessionListener {
public:
    virtual ~CSessionListener() = default;

    // The text of the main window's status button.
    virtual void ShowStatusText(win::LPCSTR text) = 0;
    // A line about the order traffic in the main sheet's message line.
    virtual void ShowMessageLine(win::LPCSTR text) = 0;
    // The main window's title.
    virtual void SetMainTitle(win::LPCSTR text) = 0;
    // An information release (answers 12 and 140): the body as it came; `manual`
    // for manual information, else system information. The sheet shows it when
    // its information pop-up and the matching option are on.
    virtual void ShowInformation(const win::BYTE *body, int length, bool manual) = 0;
    // A failed order or cancel answer, for the error information window when the
    // sheet is so configured.
    virtual void ShowErrorInformation(win::LPCSTR text) = 0;
    // An exchange state line, for the information window when so configured.
    virtual void ShowExchangeState(win::LPCSTR text) = 0;

    // A record list is complete (its answer's last packet is in).
    virtual void RefreshList(SessionList list) = 0;
    // Order traffic: an accepted order (180), a refused one with the gateway's
    // text (180 failed), an order status report (130, 131, 181), a deal report
    // (67, the 128-byte record; the orders page writes its status letter into it
    // before the deals page reads it).
    virtual void OnOrderAnswer(const COrderRecord &order) = 0;
    virtual void OnOrderRejected(const COrderRecord &order, win::LPCSTR text) = 0;
    virtual void OnCancelReport(const COrderRecord &order) = 0;
    virtual void OnDealReport(win::BYTE *record) = 0;
    // A refused member of a batch order, to become a pre-order (state 'n') with
    // the next local order number.
    virtual void AddFailedBatchOrder(const COrderRecord &order) = 0;

    // The quote of a contract for the order entry page (answer 204): the 96-byte
    // record in host order, or null when the answer failed.
    virtual void OnQuote(const win::BYTE *record) = 0;
    // The order entry page's position text (maximum position and closable volumes).
    virtual void SetPositionText(win::LPCSTR text) = 0;
    // The order entry page's customer box outside the trader login (answer 213):
    // `first` empties it before the texts are added; `last` ends the answer.
    virtual void FillCustomerBox(const std::vector<win::CString> &texts, bool first, bool last) = 0;
    // The local text of both transfer pages (本地信息): the gateway's answer to
    // a transfer and the bank-account answer's text.
    virtual void ShowTransferResult(win::LPCSTR text) = 0;
    // The second text of both transfer pages (银行信息 of the bank dialog,
    // 证券信息 of the securities dialog): emptied once the transfer is taken,
    // then the wait for the bank and the transfer's result.
    virtual void ShowBankInfo(win::LPCSTR text) = 0;
    // The withdrawable funds of both transfer dialogs.
    virtual void SetWithdrawableFunds(win::LPCSTR text) = 0;
    // The customer's name from the client details, for the page that shows it.
    virtual void ShowClientName(win::LPCSTR text) = 0;

    // Reconnection: grey or enable the reconnect item of the system menu; start
    // (every 2000 ms) or stop the main window's reconnection timer, whose handler
    // runs the login again.
    virtual void EnableReconnectItem(bool enable) = 0;
    virtual void StartReconnectTimer(win::UINT elapseMs) = 0;
    virtual void StopReconnectTimer() = 0;
};
