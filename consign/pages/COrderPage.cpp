#include "consign/pages/COrderPage.h"

#include <cstdio>

#include "consign/pages/PageTemplates.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"

using namespace win;

COrderPage::COrderPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}

void COrderPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1055, m_TradeCodeBox);
    DDX_Control(pDX, 1236, m_DirectionBox);
    DDX_Control(pDX, 1237, m_OpenCloseBox);
    DDX_Control(pDX, 1238, m_HedgeBox);
    DDX_Control(pDX, 1107, m_OrderList);
}

BOOL COrderPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_Order.status = 'n';
    m_Order.flags = 0;
    // Each item begins with its key letter, so that typing the letter picks it.
    auto add = [](CComboBox &box, char key, const char *word) {
        char item[32];
        std::snprintf(item, sizeof item, "%c.%s", key, word);
        box.AddString(item);
    };
    const ConsignStartSettings &s = StartSettings;
    add(m_DirectionBox, s.keyBuy, "买入");
    add(m_DirectionBox, s.keySell, "卖出");
    add(m_OpenCloseBox, s.keyOpen, "开仓");
    add(m_OpenCloseBox, s.keyCloseToday, "平今");
    add(m_OpenCloseBox, s.keyClose, "平仓");
    add(m_HedgeBox, s.keySpeculation, "投机");
    add(m_HedgeBox, s.keyHedge, "保值");
    m_DirectionBox.SetCurSel(0);
    m_OpenCloseBox.SetCurSel(0);
    m_HedgeBox.SetCurSel(0);
    SendDlgItemMessage(1011, EM_LIMITTEXT, 8);
    SendDlgItemMessage(1012, EM_LIMITTEXT, 8);
    if (ClientMode == 7) {
        GetDlgItem(1011)->ShowWindow(SW_HIDE);
        GetDlgItem(1014)->ShowWindow(SW_SHOW);
        SetDlgItemText(1011, LoginAccount);
    }
    return TRUE;
}

void COrderPage::ShowClientName(LPCSTR name)
{
    if (m_hWnd)
        SetDlgItemText(1014, name);
}
