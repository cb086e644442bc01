#include "platform/appframe/StandardControls.h"

namespace win {

void RegisterStandardControls()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterEditControl();
    RegisterButtonControl();
    RegisterStaticControl();
    RegisterComboBoxControl();
    RegisterListBoxControl();
    RegisterUpDownControl();
    RegisterDateTimeControl();
}

} // namespace win
