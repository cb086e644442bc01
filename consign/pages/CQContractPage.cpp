#include "consign/pages/CQContractPage.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CQContractPage::CQContractPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
