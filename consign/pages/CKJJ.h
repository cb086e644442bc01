// The hot-key page: the variety table.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CKJJ : public win::CPropertyPage {
public:
    enum { IDD = 196 };
    CKJJ();
};
