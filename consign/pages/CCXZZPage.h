// The transfer query page: transfer results and records.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CCXZZPage : public win::CPropertyPage {
public:
    enum { IDD = 190 };
    CCXZZPage();
};
