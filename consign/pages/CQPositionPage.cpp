#include "consign/pages/CQPositionPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CQPositionPage::CQPositionPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
