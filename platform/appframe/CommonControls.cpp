#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/ListView.h"
#include "platform/appframe/StatusWindow.h"
#include "platform/appframe/TabControl.h"
#include "platform/appframe/ToolTipWindow.h"
#include "platform/appframe/ToolbarWindow.h"

namespace win {

void InitCommonControls()
{
    ListView::Register();
    TabControl::Register();
    ToolTipWindow::Register();
    StatusWindow::Register();
    ToolbarWindow::Register();
}

} // namespace win
