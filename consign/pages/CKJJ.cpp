#include "consign/pages/CKJJ.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CKJJ::CKJJ() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
