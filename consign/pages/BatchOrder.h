// Batch orders: a customer text of "*" or "*<n>" names a batch group, whose
// members each get a share of the order's volume in proportion to their
// quantities. The rules the order page and the pre-order page share: choosing
// the group, splitting, checking every member order with the gateway and
// sending them; and the exchange letter of a contract.
#pragma once

#include <cstddef>
#include <vector>

#include "consign/session/RecordLists.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CListBox.h"
#include "platform/win/CString.h"

// The batch sequence number the next member order takes: 1 at start, one more
// for every member order built, never back.
extern int BatchSequenceNumber;

// The contract of the contract list whose code equals `text` in its first 10
// characters, case and surrounding blanks ignored; null when none. `spelling`
// (when given) gets the list's code.
const CContractRecord *FindContract(const char *text, win::CString *spelling = nullptr);
// The exchange letter of the order's contract (the contract record's first
// byte), whose list spelling is written back into the order; a blank when the
// contract is unknown.
char ContractExchangeLetter(COrderRecord &order);
// The same for a contract text.
char LookupContractLetter(const char *contract);

// The chooser of "*": one row per group, its number and quantity sum.
class CBatchGroupDlg : public win::CDialog {
public:
    enum { IDD = 152 };
    explicit CBatchGroupDlg(win::CWnd *pParent = nullptr);

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;
    void OnOK() override;

    // The chosen row (from 0), -1 for none.
    int m_nGroup = -1;
    win::CListBox m_List; // 1070
};

enum class BatchSelection { chosen, refused, cancelled };

// The group a customer text beginning with "*" names, and the batch name the
// members carry. `refused`: a message was shown; `cancelled`: the chooser was
// closed without a choice (no message).
BatchSelection SelectBatchGroup(const char *customerText, win::CWnd *parent, size_t &group,
                                win::CString &batchName);

// The member orders of `group` for `volume`, copied from `order`: each member's
// customer, its quantity times volume / (quantity sum) as volume, and the next
// batch sequence number. False after the message when the volume is not above
// 0 ("委托手数不合法") or not a multiple of the quantity sum (also a sum of 0).
// Members with quantity 0 get no order.
bool SplitBatchOrder(const COrderRecord &order, size_t group, int volume, std::vector<COrderRecord> &members);

// Checks the member orders one by one with the gateway under `letter`. The
// first failure shows "客户 %s 的委托单校验错！" and ends the check, unless
// `askToGoOn`: then "批量下单出错，是否继续校验此笔批量单的后续客户？" decides.
// True when every member passed.
bool VerifyBatchOrders(std::vector<COrderRecord> &members, char letter, bool askToGoOn);

// Sends the member orders in order, each logged first with `logFormat`
// ("...%s,%s,%s,%d,%s,%s": customer, contract, direction, volume, open/close,
// price) and numbered with the next local order number. Stops at the first
// send the session refuses; false then.
bool SendBatchOrders(std::vector<COrderRecord> &members, const char *logFormat, win::LPCSTR batchName);

// The log line of an order: `format` with customer, contract, direction word,
// volume, open/close word and price, each text cut to its field.
win::CString OrderLogLine(const char *format, const COrderRecord &order);
