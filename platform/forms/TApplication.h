// The application object of a form-library program (the global Application):
// the GUI application and its loop, the forms it owns and the main form, the
// message hook OnMessage (which also sees input inside modal loops), the hint
// of the control under the mouse with OnHint, and its message boxes.
#pragma once

#include <memory>

#include "platform/forms/TComponent.h"
#include "platform/forms/FormTypes.h"
#include "platform/gdi/Property.h"

namespace win {

class TForm;
class TControl;
class GuiApplication;

class TApplication : public TComponent {
public:
    // Makes the GUI application on the calling thread (argc and argv must outlive
    // the object) and becomes the global Application.
    TApplication(int &argc, char **argv);
    ~TApplication() override;
    AnsiString ClassName() const override { return "TApplication"; }

    void Initialize() {}
    // Makes a form owned by the application; the first becomes the main form.
    template <typename T>
    void CreateForm(T *&reference)
    {
        reference = new T(this);
        FormCreated(reference);
    }
    // Shows the main form and runs the loop until Terminate (or the main form
    // closes); returns the quit code.
    int Run();
    void Terminate();
    // Handles what is waiting, without waiting.
    void ProcessMessages();
    int MessageBox(const char *Text, const char *Caption, int Flags);
    // Reports an error the program did not handle, in a box.
    void ShowException(const char *message);
    void Minimize();
    void Restore();
    void BringToFront();
    HWND GetHandle();

    const TMessageEvent &GetOnMessage() const { return onMessage_; }
    void SetOnMessage(TMessageEvent handler);
    AnsiString GetHint() const { return hint_; }
    void SetHint(AnsiString hint);

    Property<TApplication, TMessageEvent, &TApplication::GetOnMessage, &TApplication::SetOnMessage> OnMessage{
        this};
    Property<TApplication, AnsiString, &TApplication::GetHint, &TApplication::SetHint> Hint{this};
    ReadOnlyProperty<TApplication, HWND, &TApplication::GetHandle> Handle{this};
    TForm *MainForm = nullptr;
    AnsiString Title;
    AnsiString ExeName;
    bool ShowHint = true;
    bool Terminated = false;
    TNotifyEvent OnHint;

    // Inside the library: the mouse entered this control.
    void HoverControl(TControl *control);
    void FormCreated(TForm *form);

private:
    std::unique_ptr<GuiApplication> gui_;
    TMessageEvent onMessage_;
    AnsiString hint_;
    HWND handle_ = 0;
};

extern TApplication *Application;

} // namespace win
