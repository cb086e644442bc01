// The fund transfer page: moves between bank, securities and futures accounts.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CZZ : public win::CPropertyPage {
public:
    enum { IDD = 193 };
    CZZ();
};
