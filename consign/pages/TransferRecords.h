// The rows the transfer pages make of the session's '|' records: the transfer
// records of the query tabs (13 fields) and the bank accounts of the transfer
// dialogs (6 fields). The records themselves are never changed.
#pragma once

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

// Transfer kinds (field 13) of the bank tab and of the securities tab; account
// kinds (field 6) of the bank dialog and of the securities dialog.
inline constexpr const char *BankTransferKinds[] = {"Z", "T", nullptr};
inline constexpr const char *SecuritiesTransferKinds[] = {"Q", nullptr};

// The three status boxes of a query tab: 未处理, 处理失败, 处理成功.
struct TransferStatusBoxes {
    bool unprocessed = true;
    bool failed = true;
    bool succeeded = true;
};

constexpr int TRANSFER_COLUMNS = 11;
constexpr int BANK_ACCOUNT_COLUMNS = 4;

// The eleven columns of a transfer record's row: fields 1 to 8, the amount
// (field 9) right-aligned to nine characters, fields 10 and 11. False when the
// record's kind is not one of `kinds` (a list ended by null) or its status is
// one whose box is off; any other status is always shown.
bool TransferRecordRow(const char *record, const char *const *kinds, const TransferStatusBoxes &boxes,
                       win::CString columns[TRANSFER_COLUMNS]);

// The amount column: trimmed of blanks and right-aligned to nine characters
// with blanks; a longer amount is shown whole.
win::CString TransferAmountText(const char *amount);

// The four columns of a bank-account record's row (customer, bank code, bank
// name, account): false when its kind (field 6) is not one of `kinds`.
bool BankAccountRow(const char *record, const char *const *kinds, win::CString columns[BANK_ACCOUNT_COLUMNS]);
