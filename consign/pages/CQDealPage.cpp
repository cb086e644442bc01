#include "consign/pages/CQDealPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CQDealPage::CQDealPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
