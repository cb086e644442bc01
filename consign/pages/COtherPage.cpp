#include "consign/pages/COtherPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

COtherPage::COtherPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
