#include "consign/pages/CQSettlePage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CQSettlePage::CQSettlePage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
