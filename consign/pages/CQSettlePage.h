// The settlement statement page.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CQSettlePage : public win::CPropertyPage {
public:
    enum { IDD = 159 };
    CQSettlePage();
};
