#include "consign/pages/TransferRecords.h"

#include <cstring>
#include <vector>

#include "consign/session/Helpers.h"

using namespace win;

namespace {

// The n-th '|'-ended field of a record, which may be of any length.
CString Field(const CString &record, int n)
{
    std::vector<char> field(static_cast<size_t>(record.GetLength()) + 1);
    return GetField(record, field.data(), '|', n, static_cast<int>(field.size()));
}

bool KindIn(const CString &kind, const char *const *kinds)
{
    for (; *kinds; ++kinds)
        if (kind == *kinds)
            return true;
    return false;
}

CString Trimmed(const CString &text)
{
    std::vector<char> copy(static_cast<size_t>(text.GetLength()) + 1);
    std::memcpy(copy.data(), static_cast<LPCSTR>(text), copy.size());
    return TrimBoth(copy.data());
}

} // namespace

CString TransferAmountText(const char *amount)
{
    const CString trimmed = Trimmed(amount ? amount : "");
    const int width = 9;
    if (trimmed.GetLength() >= width)
        return trimmed;
    return CString(' ', width - trimmed.GetLength()) + trimmed;
}

bool TransferRecordRow(const char *record, const char *const *kinds, const TransferStatusBoxes &boxes,
                       CString columns[TRANSFER_COLUMNS])
{
    // The last field of a record may lack its '|': a copy gets one, so that
    // every field is found; the stored record stays as it is.
    CString copy = record ? record : "";
    copy += "|";
    if (!KindIn(Field(copy, 13), kinds))
        return false;
    const CString status = Trimmed(Field(copy, 10));
    if ((status == "未处理" && !boxes.unprocessed) || (status == "处理失败" && !boxes.failed) ||
        (status == "处理成功" && !boxes.succeeded))
        return false;
    for (int column = 0; column < 8; ++column)
        columns[column] = Field(copy, column + 1);
    columns[8] = TransferAmountText(Field(copy, 9));
    columns[9] = Field(copy, 10);
    columns[10] = Field(copy, 11);
    return true;
}

bool BankAccountRow(const char *record, const char *const *kinds, CString columns[BANK_ACCOUNT_COLUMNS])
{
    const CString copy = record ? record : "";
    if (!KindIn(Field(copy, 6), kinds))
        return false;
    for (int column = 0; column < BANK_ACCOUNT_COLUMNS; ++column)
        columns[column] = Field(copy, column + 1);
    return true;
}
