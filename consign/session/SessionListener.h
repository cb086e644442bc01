// What the gateway session tells the main window and the pages. The main sheet
// implements it; tests give a double that records the calls.
#pragma once

#include "platform/win/WinTypes.h"

class CSessionListener {
public:
    virtual ~CSessionListener() = default;

    // The text of the main window's status button.
    virtual void ShowStatusText(win::LPCSTR text) = 0;
};
