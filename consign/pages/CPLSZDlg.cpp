#include "consign/pages/CPLSZDlg.h"

#include "consign/pages/PageTemplates.h"

using namespace win;

CPLSZDlg::CPLSZDlg() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}
