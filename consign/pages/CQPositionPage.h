// The positions page: open positions and closing orders.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CQPositionPage : public win::CPropertyPage {
public:
    enum { IDD = 132 };
    CQPositionPage();
};
