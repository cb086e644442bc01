#include "platform/appframe/CComboBox.h"

#include <vector>

namespace win {

BOOL CComboBox::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create("ComboBox", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CComboBox::GetLBText(int nIndex, CString &text) const
{
    int length = GetLBTextLen(nIndex);
    if (length < 0) {
        text = "";
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, 0);
    GetLBText(nIndex, buffer.data());
    text = buffer.data();
}

} // namespace win
