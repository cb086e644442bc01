// The settings tool's entry: works from its own folder (the settings file is
// found relative to it), shows the settings form and runs until it closes.
#include <cstring>
#include <exception>

#include "platform/forms/TApplication.h"
#include "platform/win/File.h"
#include "toolpick/SetTool.h"

using namespace win;

namespace {

// Shows an error that escaped the start-up or the message loop.
void ShowStartupException(TApplication &app, const char *message) { app.ShowException(message); }

void WorkFromProgramFolder()
{
    char path[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameA(0, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    if (char *slash = std::strrchr(path, '/')) {
        slash[1] = 0;
        SetCurrentDirectoryA(path);
    }
}

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
