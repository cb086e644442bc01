// Inside the framework: the registration of the standard control classes that
// dialog templates and CWnd::Create name ("Edit", "Button", "Static",
// "ComboBox", "ListBox", "msctls_updown32", "SysDateTimePick32", "RichEdit20A").
#pragma once

namespace win {

// Idempotent.
void RegisterStandardControls();

// Each class's registration (its unit).
void RegisterEditControl();
void RegisterButtonControl();
void RegisterStaticControl();
void RegisterComboBoxControl();
void RegisterListBoxControl();
void RegisterUpDownControl();
void RegisterDateTimeControl();

} // namespace win
