#include "consign/pages/CCXZZPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CCXZZPage::CCXZZPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
