// The main sheet's status button as the pages reach it: through the listener of
// the gateway session, which is the sheet while it exists.
#pragma once

#include "platform/win/WinTypes.h"

void ShowSheetStatus(win::LPCSTR text);
