// The transfer pages' row fillers over records of any shape (one per line,
// after a byte that sets the three status boxes): a transfer record gives
// eleven columns or none, its amount right-aligned to at least nine characters
// and never cut; a bank-account record gives four columns or none; no record is
// changed by being shown.
// fuzz-deps: consign_pages
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "consign/pages/TransferRecords.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

std::string Trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void Check(const std::string &record, const TransferStatusBoxes &boxes)
{
    const std::string before = record;
    win::CString columns[TRANSFER_COLUMNS];
    for (const char *const *kinds : {BankTransferKinds, SecuritiesTransferKinds}) {
        if (!TransferRecordRow(record.c_str(), kinds, boxes, columns))
            continue;
        const std::string amount(columns[8]);
        Require(amount.size() >= 9);
        // Right-aligned: the padding is all in front.
        Require(Trimmed(amount).empty() || (amount.back() != ' ' && amount.back() != '\t'));
    }
    win::CString accounts[BANK_ACCOUNT_COLUMNS];
    for (const char *const *kinds : {BankTransferKinds, SecuritiesTransferKinds})
        BankAccountRow(record.c_str(), kinds, accounts);
    const std::string padded(TransferAmountText(record.c_str()));
    const std::string trimmed = Trimmed(std::string(record.c_str()));
    Require(padded.size() == std::max<size_t>(9, trimmed.size()));
    Require(padded.compare(padded.size() - trimmed.size(), trimmed.size(), trimmed) == 0);
    Require(record == before);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    TransferStatusBoxes boxes;
    boxes.unprocessed = (data[0] & 1) != 0;
    boxes.failed = (data[0] & 2) != 0;
    boxes.succeeded = (data[0] & 4) != 0;
    const std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        Check(text.substr(at, end - at), boxes);
        at = end + 1;
    }
    return 0;
}
