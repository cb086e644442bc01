// Dialog data exchange: the object CWnd::UpdateData hands to DoDataExchange, and
// the DDX_ helpers (a control's value to a member and back) and DDV_ checks
// (a read value refused with the framework's message, the focus left on its
// control). After a refusal the remaining helpers of the same exchange do nothing.
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/win/CString.h"
#include "platform/win/CTime.h"

namespace win {

class CDataExchange {
public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate);

    // TRUE: controls to members (and checks); FALSE: members to controls.
    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
    // The control of the last DDX_ call, which a DDV_ check refers to.
    HWND m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
    // Set by Fail; the exchange has stopped.
    BOOL m_bFailed = FALSE;

    // The control `nIDC` of the dialog (0 when there is none).
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Stops the exchange: the focus goes to the last control (its text selected
    // when it is an edit box).
    void Fail();
};

// The framework's messages of refused values (shown with AfxMessageBox).
CString AfxIntegerMessage();
CString AfxIntegerRangeMessage(long long min, long long max);
CString AfxNumberMessage();
CString AfxNumberRangeMessage(double min, double max);
CString AfxMaxCharsMessage(int nChars);

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value);
void DDX_Text(CDataExchange *pDX, int nIDC, int &value);
void DDX_Text(CDataExchange *pDX, int nIDC, UINT &value);
void DDX_Text(CDataExchange *pDX, int nIDC, long &value);
void DDX_Text(CDataExchange *pDX, int nIDC, unsigned long &value);
void DDX_Text(CDataExchange *pDX, int nIDC, short &value);
void DDX_Text(CDataExchange *pDX, int nIDC, BYTE &value);
void DDX_Text(CDataExchange *pDX, int nIDC, double &value);
void DDX_Text(CDataExchange *pDX, int nIDC, float &value);
// Check box state: 0, 1 or 2.
void DDX_Check(CDataExchange *pDX, int nIDC, int &value);
// The index of the checked radio button of the group that starts with `nIDC`
// (-1: none).
void DDX_Radio(CDataExchange *pDX, int nIDC, int &value);
// Combo box: the selected index (-1: none), or the text.
void DDX_CBIndex(CDataExchange *pDX, int nIDC, int &index);
void DDX_CBString(CDataExchange *pDX, int nIDC, CString &value);
void DDX_LBIndex(CDataExchange *pDX, int nIDC, int &index);
// Attaches `control` to the dialog's control `nIDC` (once).
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &control);
// A date and time picker's time; a picker without a valid time leaves the
// member as it is.
void DDX_DateTimeCtrl(CDataExchange *pDX, int nIDC, CTime &value);

void DDV_MinMaxInt(CDataExchange *pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange *pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange *pDX, long value, long minVal, long maxVal);
void DDV_MinMaxShort(CDataExchange *pDX, short value, short minVal, short maxVal);
void DDV_MinMaxByte(CDataExchange *pDX, BYTE value, BYTE minVal, BYTE maxVal);
void DDV_MinMaxDouble(CDataExchange *pDX, double value, double minVal, double maxVal);
// Reading: refuses a longer text; filling: limits the edit box to nChars.
void DDV_MaxChars(CDataExchange *pDX, const CString &value, int nChars);

} // namespace win
