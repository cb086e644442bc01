#include "consign/session/ui/CPasswordPadDlg.h"

#include <cstdlib>

#include "consign/session/ConsignState.h"
#include "consign/session/ui/SessionDialogs.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/Random.h"

using namespace win;

namespace {

const int DigitBitmapIds[10] = {180, 170, 173, 174, 175, 176, 177, 178, 179, 172};

void FreeSlotBitmaps()
{
    for (PadKeySlot &slot : PadKeySlots) {
        if (slot.bitmap)
            DeleteObject(slot.bitmap);
        slot.bitmap = 0;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CPasswordPadDlg, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPasswordPadDlg::CPasswordPadDlg(CWnd *pParent) : CDialog(IDD_PASSWORD_PAD, pParent)
{
    RegisterSessionDialogs();
}

void CPasswordPadDlg::LayOutSlots(bool shuffle)
{
    char left[10];
    for (int i = 0; i < 10; ++i)
        left[i] = static_cast<char>('0' + i);
    int count = 10;
    for (int slot = 0; slot < 10; ++slot) {
        char digit = static_cast<char>('0' + slot);
        if (shuffle) {
            const int i = win::rand() % count;
            digit = left[i];
            for (int k = i; k < count - 1; ++k)
                left[k] = left[k + 1];
            --count;
        }
        PadKeySlots[slot].digit = digit;
    }
    FreeSlotBitmaps();
    RegisterPadBitmaps();
    for (PadKeySlot &slot : PadKeySlots)
        slot.bitmap = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(DigitBitmapIds[slot.digit - '0']));
}

BOOL CPasswordPadDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < 10; ++i)
        keys_[i].SubclassDlgItem(1163 + i, this);
    m_strText.Empty();
    CopyToTarget();
    if (m_pParentWnd && m_pParentWnd->m_hWnd) {
        CRect parent, mine;
        m_pParentWnd->GetWindowRect(&parent);
        GetWindowRect(&mine);
        SetWindowPos(static_cast<HWND>(0), parent.left + 200, parent.top + (m_nTarget == 1 ? 160 : 130), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }
    LayOutSlots(StartSettings.randomKey != 0);
    return TRUE;
}

BOOL CPasswordPadDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        const int slot = PadSlotOfButton(id);
        if (slot >= 0) {
            if (m_strText.GetLength() < MAX_DIGITS) {
                m_strText += PadKeySlots[slot].digit;
                CopyToTarget();
            }
            return TRUE;
        }
        if (id == 1173) {
            if (!m_strText.IsEmpty()) {
                m_strText.Empty();
                CopyToTarget();
            }
            return TRUE;
        }
        if (id == 1174) {
            if (!m_strText.IsEmpty()) {
                m_strText = m_strText.Left(m_strText.GetLength() - 1);
                CopyToTarget();
            }
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CPasswordPadDlg::OnOK() { EndDialog(IDOK); }

void CPasswordPadDlg::OnCancel()
{
    m_strText.Empty();
    CopyToTarget();
    EndDialog(IDCANCEL);
}

void CPasswordPadDlg::OnDestroy()
{
    FreeSlotBitmaps();
    CDialog::OnDestroy();
}

void CPasswordPadDlg::CopyToTarget()
{
    if (!m_pParentWnd || !m_pParentWnd->m_hWnd)
        return;
    if (CWnd *field = m_pParentWnd->GetDlgItem(m_nTarget == 1 ? 1216 : 1022))
        field->SetWindowText(m_strText);
}
