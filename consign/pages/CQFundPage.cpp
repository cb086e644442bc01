#include "consign/pages/CQFundPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CQFundPage::CQFundPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
