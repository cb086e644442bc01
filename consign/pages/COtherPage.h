// The options page: options and password changes.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class COtherPage : public win::CPropertyPage {
public:
    enum { IDD = 134 };
    COtherPage();
};
