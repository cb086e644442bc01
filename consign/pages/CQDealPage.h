// The deals page: today's deals.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CQDealPage : public win::CPropertyPage {
public:
    enum { IDD = 131 };
    CQDealPage();
};
