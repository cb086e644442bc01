#include "consign/pages/InfoPopups.h"

#include "consign/pages/CInfoReleaseDlg.h"
#include "consign/pages/COtherPage.h"

using namespace win;

bool PopUpInformation(const COtherPage &options, const BYTE *body, int length, bool manual, CWnd *parent)
{
    if (!options.m_bPopup || !(manual ? options.m_bManualInfo : options.m_bSystemInfo))
        return false;
    // The window deletes itself when it is gone.
    (new CInfoReleaseDlg(body, length, options.m_nStay, parent))->ShowMessage();
    return true;
}

bool PopUpError(const COtherPage &options, LPCSTR text, CWnd *parent)
{
    if (!options.m_bPopup || !options.m_bErrorInfo)
        return false;
    (new CInfoReleaseDlg(nullptr, 0, options.m_nStay, parent))->ShowError("系统", "错误", text);
    return true;
}

bool PopUpExchangeState(const COtherPage &options, LPCSTR text, CWnd *parent)
{
    if (!options.m_bPopup || !options.m_bSystemInfo)
        return false;
    return (new CInfoReleaseDlg(nullptr, 0, options.m_nStay, parent))->ShowNotice("系统", "普通", text);
}
