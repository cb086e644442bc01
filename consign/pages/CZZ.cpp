#include "consign/pages/CZZ.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CZZ::CZZ() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
