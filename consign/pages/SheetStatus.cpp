#include "consign/pages/SheetStatus.h"

#include "consign/session/ConsignState.h"

void ShowSheetStatus(win::LPCSTR text)
{
    if (CSessionListener *sheet = TheTradeSession().m_pListener)
        sheet->ShowStatusText(text);
}
