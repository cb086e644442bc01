#include "consign/pages/CPreOrderFillDlg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "consign/pages/OrderWords.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD PopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD ShowStyle = WS_BORDER | ES_AUTOHSCROLL | ES_READONLY;
constexpr DWORD InputStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER;

const DialogItemTemplate FillItems[] = {
    {"Static", Label, 8, 10, 40, 8, SS_LEFT, 0, "客户编号"},
    {"Edit", 1190, 50, 8, 70, 12, ShowStyle, 0, ""},
    {"Static", Label, 128, 10, 40, 8, SS_LEFT, 0, "买卖方向"},
    {"Edit", 1191, 170, 8, 50, 12, ShowStyle, 0, ""},
    {"Static", Label, 8, 26, 40, 8, SS_LEFT, 0, "合约编号"},
    {"Edit", 1192, 50, 24, 70, 12, ShowStyle, 0, ""},
    {"Static", Label, 128, 26, 40, 8, SS_LEFT, 0, "开平"},
    {"Edit", 1193, 170, 24, 50, 12, ShowStyle, 0, ""},
    {"Static", Label, 128, 42, 40, 8, SS_LEFT, 0, "投保"},
    {"Edit", 1194, 170, 40, 50, 12, ShowStyle, 0, ""},
    {"Static", Label, 8, 42, 40, 8, SS_LEFT, 0, "申报数量"},
    {"Edit", 1091, 50, 40, 70, 12, InputStyle, 0, ""},
    {"Static", Label, 8, 58, 40, 8, SS_LEFT, 0, "申报价格"},
    {"Edit", 1007, 50, 56, 70, 12, InputStyle, 0, ""},
    {"Button", IDOK, 60, 78, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
    {"Button", IDCANCEL, 120, 78, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

CString FieldText(const char *field, size_t width)
{
    CString text(field, static_cast<int>(strnlen(field, width)));
    text.TrimLeft();
    text.TrimRight();
    return text;
}

void Refuse(CDataExchange *pDX, const char *text)
{
    ConsignLog().WriteLine(text, 1);
    AfxMessageBox(text);
    pDX->Fail();
}

} // namespace

CPreOrderFillDlg::CPreOrderFillDlg(COrderRecord &order, CWnd *pParent) : CDialog(IDD, pParent), m_Order(order)
{
    RegisterDialogResource(IDD, TableTemplate(PopupStyle, 228, 98, "预埋单补填数量、价格", FillItems));
}

BOOL CPreOrderFillDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(1190, FieldText(m_Order.customer, sizeof m_Order.customer));
    SetDlgItemText(1191, DirectionWord(m_Order.flags));
    SetDlgItemText(1192, FieldText(m_Order.contract, sizeof m_Order.contract));
    SetDlgItemText(1193, OpenCloseWord(m_Order.flags));
    SetDlgItemText(1194, HedgeWord(m_Order.flags));
    char volume[16];
    std::snprintf(volume, sizeof volume, "%d", m_Order.volume);
    SetDlgItemText(1091, volume);
    const CString price = FieldText(m_Order.price, sizeof m_Order.price);
    SetDlgItemText(1007, price);
    SendDlgItemMessage(1091, EM_LIMITTEXT, 7);
    SendDlgItemMessage(1007, EM_LIMITTEXT, 6);
    if (m_Order.volume == 0) {
        GotoDlgCtrl(GetDlgItem(1091));
        return FALSE;
    }
    if (price.IsEmpty()) {
        GotoDlgCtrl(GetDlgItem(1007));
        return FALSE;
    }
    return TRUE;
}

void CPreOrderFillDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate)
        return;
    DDX_Text(pDX, 1091, m_strVolume);
    if (pDX->m_bFailed)
        return;
    CString volume = m_strVolume;
    volume.TrimLeft();
    volume.TrimRight();
    char *end = nullptr;
    errno = 0;
    const long value = volume.IsEmpty() ? 0 : std::strtol(volume, &end, 10);
    if (volume.IsEmpty() || *end != 0 || errno == ERANGE || value <= 0 || value > 9999999) {
        pDX->PrepareEditCtrl(1091);
        Refuse(pDX, "委托手数不合法");
        return;
    }
    DDX_Text(pDX, 1007, m_nPrice);
    if (pDX->m_bFailed)
        return;
    if (m_nPrice < 0 || m_nPrice > 100000) {
        Refuse(pDX, "价格不合法");
        return;
    }
    m_Order.volume = static_cast<int32_t>(value);
}

void CPreOrderFillDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    char price[16];
    std::snprintf(price, sizeof price, "%u", static_cast<unsigned>(m_nPrice));
    std::memset(m_Order.price, 0, sizeof m_Order.price);
    std::memcpy(m_Order.price, price, strnlen(price, sizeof m_Order.price));
    m_Order.volume2 = m_Order.volume;
    EndDialog(IDOK);
}

BOOL CPreOrderFillDlg::PreTranslateMessage(MSG *pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        CWnd *focus = CWnd::GetFocus();
        const int id = focus ? focus->GetDlgCtrlID() : 0;
        if (pMsg->wParam == VK_UP) {
            PrevDlgCtrl();
            return TRUE;
        }
        if (pMsg->wParam == VK_DOWN || (pMsg->wParam == VK_RETURN && id != IDOK && id != IDCANCEL)) {
            NextDlgCtrl();
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}
