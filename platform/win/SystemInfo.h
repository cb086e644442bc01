// The desktop's measures and state as programs ask for them: the work area
// (SystemParametersInfoA), screen and virtual-screen metrics (GetSystemMetrics)
// and the foreground window.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

constexpr UINT SPI_GETWORKAREA = 0x0030;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;

// SPI_GETWORKAREA fills the RECT at pvParam with the primary screen's area
// that task bars leave free; FALSE for any other action or a null pointer.
BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, void *pvParam, UINT fWinIni);
inline BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void *pvParam, UINT fWinIni)
{
    return SystemParametersInfoA(uiAction, uiParam, pvParam, fWinIni);
}

// Tests give the desktop a work area of their choosing (null: the screen's
// again); the screen metrics follow it.
void SetTestWorkArea(const RECT *area);

// The metric, or 0 for one the layer does not know. A window's caption is 19
// pixels high and its sizing border 4 wide, as on the classic desktop (the
// window manager draws the real ones).
int GetSystemMetrics(int nIndex);
// Tests give a metric a value of their choosing; a negative value gives the
// layer's own back.
void SetTestSystemMetric(int nIndex, int value);

// The top-level window of this process that has the keyboard's attention, or 0.
HWND GetForegroundWindow();

} // namespace win
