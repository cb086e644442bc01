#include "consign/pages/CQOrderPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CQOrderPage::CQOrderPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
