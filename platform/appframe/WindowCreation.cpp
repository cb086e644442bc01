#include "platform/appframe/WindowCreation.h"

#include <set>
#include <string>

#include "platform/appframe/CWinApp.h"
#include "platform/appframe/StandardControls.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/Text.h"

namespace win {

// Set by the form library's hosting while a window brings its own widget.
extern thread_local bool creatingControlWindow;

namespace {

std::set<std::string> &WidgetClasses()
{
    static auto *classes = new std::set<std::string>;
    return *classes;
}

} // namespace

void RegisterWidgetClass(LPCSTR className, WNDPROC proc, UINT classStyle)
{
    std::string key = GbkUpper(className);
    if (WidgetClasses().count(key))
        return;
    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    WidgetClasses().insert(key);
}

bool IsWidgetClass(LPCSTR className)
{
    return className && WidgetClasses().count(GbkUpper(className)) != 0;
}

HWND CreateFrameworkWindow(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                           int width, int height, HWND parent, UINT id, LPVOID param)
{
    InstallWindowHosting();
    InstallPreTranslateHook();
    RegisterStandardControls();
    bool saved = creatingControlWindow;
    creatingControlWindow = IsWidgetClass(className);
    HWND hwnd = CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, id, 0, param);
    creatingControlWindow = saved;
    return hwnd;
}

void InstallPreTranslateHook()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    SetApplicationMessageHook([](MSG &msg, bool &handled) {
        if (AfxPreTranslateMessage(&msg))
            handled = true;
    });
}

} // namespace win
