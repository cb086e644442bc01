// The settings tool's entry: works from its own folder (the settings file is
// found relative to it), shows the settings form and runs until it closes.
#include <exception>

#include "platform/forms/TApplication.h"
#include "platform/win/File.h"
#include "toolpick/SetTool.h"

using namespace win;

namespace {

// Shows an error that escaped the start-up or the message loop.
void ShowStartupException(TApplication &app, const char *message) { app.ShowException(message); }

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    try {
        WorkFromProgramFolder();
        app.Initialize();
        app.CreateForm(SetTool);
        return app.Run();
    } catch (const std::exception &e) {
        ShowStartupException(app, e.what());
    } catch (...) {
        ShowStartupException(app, "unknown error");
    }
    return 1;
}
