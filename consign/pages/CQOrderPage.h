// The orders page: today's orders of the customers, with their status.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CQOrderPage : public win::CPropertyPage {
public:
    enum { IDD = 130 };
    CQOrderPage();
};
