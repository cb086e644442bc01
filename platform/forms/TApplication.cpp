#include "platform/forms/TApplication.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "platform/forms/TForm.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/GuiApplication.h"
#include "platform/win/MessageBox.h"
#include "platform/win/File.h"
#include "platform/win/Window.h"

namespace win {

TApplication *Application = nullptr;

namespace {

LRESULT ApplicationWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        if (Application)
            Application->Terminate();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

TApplication::TApplication(int &argc, char **argv)
    : TComponent(nullptr), gui_(std::make_unique<GuiApplication>(argc, argv))
{
    InstallWindowHosting();
    Application = this;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(0, path, MAX_PATH);
    ExeName = path;
    SetHoverHook([](HWND hwnd) {
        if (Application)
            Application->HoverControl(ControlOfWindow(hwnd));
    });
}

TApplication::~TApplication()
{
    SetHoverHook(nullptr);
    SetApplicationMessageHook(nullptr);
    while (ComponentCount() > 0)
        delete Components(ComponentCount() - 1);
    if (handle_)
        DestroyWindow(handle_);
    if (Application == this)
        Application = nullptr;
}

HWND TApplication::GetHandle()
{
    if (!handle_) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ApplicationWndProc;
        wc.lpszClassName = "TApplication";
        RegisterClassA(&wc);
        handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, "TApplication", Title.c_str(), WS_POPUP, 0, 0, 0, 0, 0, 0, 0,
                                  nullptr);
    }
    return handle_;
}

void TApplication::FormCreated(TForm *form)
{
    if (!MainForm)
        MainForm = form;
    form->AfterConstruction();
}

int TApplication::Run()
{
    if (MainForm)
        MainForm->Show();
    int code = gui_->Run();
    Terminated = true;
    return code;
}

void TApplication::Terminate()
{
    Terminated = true;
    PostQuitMessage(0);
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int TApplication::MessageBox(const char *Text, const char *Caption, int Flags)
{
    HWND owner = MainForm && MainForm->HandleAllocated() ? MainForm->GetHandle() : 0;
    return MessageBoxA(owner, Text, Caption ? Caption : Title.c_str(), static_cast<UINT>(Flags));
}

void TApplication::ShowException(const char *message)
{
    MessageBox(message, Title.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::Minimize()
{
    if (MainForm)
        MainForm->SetWindowState(wsMinimized);
}

void TApplication::Restore()
{
    if (MainForm)
        MainForm->SetWindowState(wsNormal);
}

void TApplication::BringToFront()
{
    if (MainForm && MainForm->HandleAllocated())
        BringWindowToTop(MainForm->GetHandle());
}

void TApplication::SetOnMessage(TMessageEvent handler)
{
    onMessage_ = std::move(handler);
    if (!onMessage_) {
        SetApplicationMessageHook(nullptr);
        return;
    }
    SetApplicationMessageHook([this](MSG &msg, bool &handled) {
        if (onMessage_)
            onMessage_(msg, handled);
    });
}

void TApplication::SetHint(AnsiString hint)
{
    if (hint.AnsiCompare(hint_) == 0)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint(this);
}

void TApplication::HoverControl(TControl *control)
{
    AnsiString hint;
    for (TControl *c = control; c && hint.IsEmpty(); c = c->GetParent())
        hint = c->Hint;
    SetHint(hint);
}

} // namespace win
