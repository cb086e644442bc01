// The contracts page: the contracts the gateway trades.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CQContractPage : public win::CPropertyPage {
public:
    enum { IDD = 136 };
    CQContractPage();
};
