#include "platform/appframe/CDataExchange.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CWinApp.h"

namespace win {

namespace {

// A whole number with blanks around it and nothing else; false also when it does
// not fit.
bool ParseInteger(const char *text, long long minVal, long long maxVal, long long &out)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (*p < '0' || *p > '9')
        return false;
    unsigned long long v = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + static_cast<unsigned>(*p - '0');
        if (v > 0xFFFFFFFFFFull)
            return false;
        ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p)
        return false;
    long long s = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    // Values the member's type cannot hold are refused rather than wrapped.
    if (s < minVal || s > maxVal)
        return false;
    out = s;
    return true;
}

bool ParseNumber(const char *text, double &out)
{
    errno = 0;
    char *end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(v))
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end)
        return false;
    out = v;
    return true;
}

CString ControlText(HWND h)
{
    CString text;
    if (CWnd *wnd = CWnd::FromHandle(h))
        wnd->GetWindowText(text);
    return text;
}

void SetControlText(HWND h, const char *text)
{
    if (CWnd *wnd = CWnd::FromHandle(h))
        wnd->SetWindowText(text);
}

template <typename T>
void ExchangeInteger(CDataExchange *pDX, int nIDC, T &value, long long minVal, long long maxVal, bool isSigned)
{
    if (pDX->m_bFailed)
        return;
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseInteger(ControlText(h), minVal, maxVal, v)) {
            AfxMessageBox(AfxIntegerMessage(), MB_ICONEXCLAMATION);
            pDX->Fail();
            return;
        }
        value = static_cast<T>(v);
    } else {
        char buffer[32];
        if (isSigned)
            std::snprintf(buffer, sizeof(buffer), "%lld", static_cast<long long>(value));
        else
            std::snprintf(buffer, sizeof(buffer), "%llu", static_cast<unsigned long long>(value));
        SetControlText(h, buffer);
    }
}

template <typename T>
void CheckRange(CDataExchange *pDX, T value, T minVal, T maxVal)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal) {
        AfxMessageBox(AfxIntegerRangeMessage(static_cast<long long>(minVal), static_cast<long long>(maxVal)),
                      MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

bool IsRadio(HWND h) { return (CWnd::FromHandle(h)->SendMessage(WM_GETDLGCODE) & DLGC_RADIOBUTTON) != 0; }

// The control of one step of the exchange; null when an earlier step failed or
// the dialog has no such control.
CWnd *ExchangeControl(CDataExchange *pDX, int nIDC)
{
    if (pDX->m_bFailed)
        return nullptr;
    HWND h = pDX->PrepareCtrl(nIDC);
    return h ? CWnd::FromHandle(h) : nullptr;
}

// The chosen index of a list or combo box, read or set with these messages.
void ExchangeIndex(CDataExchange *pDX, int nIDC, int &index, UINT getMessage, UINT setMessage)
{
    CWnd *control = ExchangeControl(pDX, nIDC);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(control->SendMessage(getMessage));
    else
        control->SendMessage(setMessage, static_cast<WPARAM>(index));
}

} // namespace

CString AfxIntegerMessage() { return CString("请键入一个整数。"); }

CString AfxIntegerRangeMessage(long long min, long long max)
{
    CString text;
    text.Format("请输入一个介于 %lld 和 %lld 之间的整数。", min, max);
    return text;
}

CString AfxNumberMessage() { return CString("请键入一个数字。"); }

CString AfxNumberRangeMessage(double min, double max)
{
    CString text;
    text.Format("请输入一个介于 %g 和 %g 之间的数字。", min, max);
    return text;
}

CString AfxMaxCharsMessage(int nChars)
{
    CString text;
    text.Format("请输入不超过 %d 个字符。", nChars);
    return text;
}

CDataExchange::CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    CWnd *control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    m_idLastControl = control ? control->m_hWnd : 0;
    m_bEditLastControl = FALSE;
    return m_idLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND h = PrepareCtrl(nIDC);
    m_bEditLastControl = h != 0;
    return h;
}

void CDataExchange::Fail()
{
    m_bFailed = TRUE;
    if (!m_idLastControl)
        return;
    CWnd *control = CWnd::FromHandle(m_idLastControl);
    control->SetFocus();
    if (m_bEditLastControl)
        control->SendMessage(EM_SETSEL, 0, -1);
}

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value)
{
    if (pDX->m_bFailed)
        return;
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate)
        value = ControlText(h);
    else
        SetControlText(h, value);
}

void DDX_Text(CDataExchange *pDX, int nIDC, int &value) { ExchangeInteger(pDX, nIDC, value, INT_MIN, INT_MAX, true); }
void DDX_Text(CDataExchange *pDX, int nIDC, UINT &value) { ExchangeInteger(pDX, nIDC, value, 0, UINT_MAX, false); }
void DDX_Text(CDataExchange *pDX, int nIDC, long &value) { ExchangeInteger(pDX, nIDC, value, INT_MIN, INT_MAX, true); }

void DDX_Text(CDataExchange *pDX, int nIDC, unsigned long &value)
{
    ExchangeInteger(pDX, nIDC, value, 0, UINT_MAX, false);
}

void DDX_Text(CDataExchange *pDX, int nIDC, short &value)
{
    ExchangeInteger(pDX, nIDC, value, SHRT_MIN, SHRT_MAX, true);
}

void DDX_Text(CDataExchange *pDX, int nIDC, BYTE &value) { ExchangeInteger(pDX, nIDC, value, 0, 255, false); }

void DDX_Text(CDataExchange *pDX, int nIDC, double &value)
{
    if (pDX->m_bFailed)
        return;
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate) {
        double v = 0;
        if (!ParseNumber(ControlText(h), v)) {
            AfxMessageBox(AfxNumberMessage(), MB_ICONEXCLAMATION);
            pDX->Fail();
            return;
        }
        value = v;
    } else {
        char buffer[64];
        std::snprintf(buffer, sizeof(buffer), "%.15g", value);
        SetControlText(h, buffer);
    }
}

void DDX_Text(CDataExchange *pDX, int nIDC, float &value)
{
    double v = value;
    DDX_Text(pDX, nIDC, v);
    if (pDX->m_bSaveAndValidate && !pDX->m_bFailed)
        value = static_cast<float>(v);
}

void DDX_Check(CDataExchange *pDX, int nIDC, int &value)
{
    CWnd *control = ExchangeControl(pDX, nIDC);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(control->SendMessage(BM_GETCHECK));
    else
        control->SendMessage(BM_SETCHECK, value >= 0 && value <= 2 ? static_cast<WPARAM>(value) : 0);
}

void DDX_DateTimeCtrl(CDataExchange *pDX, int nIDC, CTime &value)
{
    CWnd *control = ExchangeControl(pDX, nIDC);
    if (!control)
        return;
    SYSTEMTIME st{};
    if (pDX->m_bSaveAndValidate) {
        if (control->SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
            value = CTime(st);
    } else {
        value.GetAsSystemTime(st);
        control->SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    }
}

void DDX_Radio(CDataExchange *pDX, int nIDC, int &value)
{
    if (pDX->m_bFailed)
        return;
    HWND first = pDX->PrepareCtrl(nIDC);
    if (!first)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    CWnd *control = CWnd::FromHandle(first);
    // The group: from its first button up to the next control that starts a
    // group.
    while (control) {
        if (IsRadio(control->m_hWnd)) {
            if (pDX->m_bSaveAndValidate) {
                if (control->SendMessage(BM_GETCHECK) != 0)
                    value = index;
            } else {
                control->SendMessage(BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED);
            }
            ++index;
        }
        control = control->GetWindow(GW_HWNDNEXT);
        if (control && (control->GetStyle() & WS_GROUP))
            break;
    }
}

void DDX_CBIndex(CDataExchange *pDX, int nIDC, int &index)
{
    ExchangeIndex(pDX, nIDC, index, CB_GETCURSEL, CB_SETCURSEL);
}

void DDX_CBString(CDataExchange *pDX, int nIDC, CString &value)
{
    CWnd *control = ExchangeControl(pDX, nIDC);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate) {
        control->GetWindowText(value);
        return;
    }
    // Selects the first item that starts with the text; an editable box that has
    // none shows the text.
    LRESULT found = control->SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(static_cast<const char *>(value)));
    if (found == CB_ERR)
        control->SetWindowText(value);
}

void DDX_LBIndex(CDataExchange *pDX, int nIDC, int &index)
{
    ExchangeIndex(pDX, nIDC, index, LB_GETCURSEL, LB_SETCURSEL);
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &control)
{
    if (pDX->m_bFailed || control.m_hWnd)
        return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (h)
        control.SubclassWindow(h);
}

void DDV_MinMaxInt(CDataExchange *pDX, int value, int minVal, int maxVal) { CheckRange(pDX, value, minVal, maxVal); }
void DDV_MinMaxUInt(CDataExchange *pDX, UINT value, UINT minVal, UINT maxVal) { CheckRange(pDX, value, minVal, maxVal); }
void DDV_MinMaxLong(CDataExchange *pDX, long value, long minVal, long maxVal) { CheckRange(pDX, value, minVal, maxVal); }

void DDV_MinMaxShort(CDataExchange *pDX, short value, short minVal, short maxVal)
{
    CheckRange(pDX, value, minVal, maxVal);
}

void DDV_MinMaxByte(CDataExchange *pDX, BYTE value, BYTE minVal, BYTE maxVal) { CheckRange(pDX, value, minVal, maxVal); }

void DDV_MinMaxDouble(CDataExchange *pDX, double value, double minVal, double maxVal)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal) {
        AfxMessageBox(AfxNumberRangeMessage(minVal, maxVal), MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDV_MaxChars(CDataExchange *pDX, const CString &value, int nChars)
{
    if (pDX->m_bFailed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_idLastControl && pDX->m_bEditLastControl)
            CWnd::FromHandle(pDX->m_idLastControl)->SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars));
        return;
    }
    if (value.GetLength() > nChars) {
        AfxMessageBox(AfxMaxCharsMessage(nChars), MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

} // namespace win
