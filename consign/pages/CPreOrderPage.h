// The pre-order page: orders kept to be sent later.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CPreOrderPage : public win::CPropertyPage {
public:
    enum { IDD = 135 };
    CPreOrderPage();
};
