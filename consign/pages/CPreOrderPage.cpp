#include "consign/pages/CPreOrderPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CPreOrderPage::CPreOrderPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
