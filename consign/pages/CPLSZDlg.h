// The batch settings page: the trader's batch groups.
// A page of the main sheet, with its tab caption from its template.
#pragma once

#include "platform/appframe/CPropertyPage.h"

class CPLSZDlg : public win::CPropertyPage {
public:
    enum { IDD = 175 };
    CPLSZDlg();
};
