// The funds page: the customers' funds.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CQFundPage : public win::CPropertyPage {
public:
    enum { IDD = 133 };
    CQFundPage();
};
