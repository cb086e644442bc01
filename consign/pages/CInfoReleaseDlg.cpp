#include "consign/pages/CInfoReleaseDlg.h"

#include <algorithm>
#include <cstring>

#include "consign/pages/PopupTemplates.h"
#include "platform/appframe/CDataExchange.h"

using namespace win;

BEGIN_MESSAGE_MAP(CInfoReleaseDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {
// Fields of the information record.
constexpr int SenderAt = 14, KindAt = 25, TimeAt = 26, SubjectAt = 34, TextAt = 118;
} // namespace

CInfoReleaseDlg::CInfoReleaseDlg(const BYTE *record, int length, int staySeconds, CWnd *pParent)
    : CDialog(IDD, pParent), m_nStay(staySeconds), parent_(pParent)
{
    RegisterPopupTemplates();
    std::memset(m_Record, 0, sizeof m_Record);
    if (record && length > 0)
        std::memcpy(m_Record, record, static_cast<size_t>(std::min(length, RECORD_SIZE)));
}

CString CInfoReleaseDlg::Field(int at, int width) const
{
    const char *text = reinterpret_cast<const char *>(m_Record + at);
    return CString(text, static_cast<int>(strnlen(text, static_cast<size_t>(width))));
}

void CInfoReleaseDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1121, m_strSubject);
    DDX_Text(pDX, 1118, m_strSender);
    DDX_Text(pDX, 1120, m_strTime);
    DDX_Text(pDX, 1119, m_strKind);
    DDX_Text(pDX, 1123, m_strLevel);
    DDX_Text(pDX, 1250, m_strText);
}

void CInfoReleaseDlg::ShowMessage()
{
    const BYTE kind = m_Record[KindAt];
    m_strKind = (kind & 0x80) ? "人工" : "系统";
    switch (kind) {
    case 1:
    case 129: m_strLevel = "普通"; break;
    case 2:
    case 130: m_strLevel = "警告"; break;
    case 3:
    case 131: m_strLevel = "危险"; break;
    default: m_strLevel = "未知"; break;
    }
    // Each text ends at its field, whether or not the sender ended it.
    m_strSender = Field(SenderAt, KindAt - SenderAt);
    m_strTime = Field(TimeAt, SubjectAt - TimeAt);
    m_strSubject = Field(SubjectAt, TextAt - SubjectAt);
    m_strText = Field(TextAt, RECORD_SIZE - TextAt);
    Open();
}

void CInfoReleaseDlg::ShowError(LPCSTR kind, LPCSTR level, LPCSTR message)
{
    if (ShowNotice(kind, level, message))
        SetWindowText("错误信息");
}

bool CInfoReleaseDlg::ShowNotice(LPCSTR kind, LPCSTR level, LPCSTR message)
{
    m_strKind = kind ? kind : "";
    m_strLevel = level ? level : "";
    m_strSender.Empty();
    m_strSubject.Empty();
    m_strTime = Field(TimeAt, SubjectAt - TimeAt);
    m_strText = message ? message : "";
    return Open();
}

bool CInfoReleaseDlg::Open()
{
    if (!Create(IDD, parent_)) {
        delete this;
        return false;
    }
    ShowWindow(SW_SHOW);
    return true;
}

BOOL CInfoReleaseDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_nStay != 0)
        SetTimer(1, static_cast<UINT>(m_nStay) * 1000u, nullptr);
    CenterWindow();
    // The button holds the focus, so that the text is read, not selected.
    if (CWnd *close = GetDlgItem(IDOK)) {
        GotoDlgCtrl(close);
        return FALSE;
    }
    return TRUE;
}

void CInfoReleaseDlg::Close(int result)
{
    EndDialog(result);
    if (m_nStay == 0)
        DestroyWindow();
}

void CInfoReleaseDlg::OnOK() { Close(IDOK); }
void CInfoReleaseDlg::OnCancel() { Close(IDCANCEL); }

void CInfoReleaseDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == 1)
        DestroyWindow();
    else
        Default();
}

void CInfoReleaseDlg::PostNcDestroy() { delete this; }
