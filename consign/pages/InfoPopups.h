// The pop-ups the main sheet opens for what the gateway session reports, as
// the options page allows: information releases (manual or system), error
// texts and exchange states, each in an information window that stays for the
// page's stay time.
#pragma once

#include "platform/win/WinTypes.h"

class COtherPage;
namespace win {
class CWnd;
}

// The body as it came (any length); `manual` for information sent by staff.
// Opens a window when pop-ups are on and the matching kind is; true when one
// opened.
bool PopUpInformation(const COtherPage &options, const win::BYTE *body, int length, bool manual,
                      win::CWnd *parent);
// An error text, when pop-ups and error information are on.
bool PopUpError(const COtherPage &options, win::LPCSTR text, win::CWnd *parent);
// An exchange state line, when pop-ups and system information are on.
bool PopUpExchangeState(const COtherPage &options, win::LPCSTR text, win::CWnd *parent);
