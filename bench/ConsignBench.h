// Set-up shared by the order client's benchmarks: the application of the run
// (started once, offscreen, message boxes recorded instead of shown) and a
// settings file of the run in the temporary folder.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "consign/session/ConsignState.h"
#include "platform/appframe/CWinApp.h"
#include "platform/win/MessageBox.h"

namespace benchfix {

class ConsignBenchApp : public win::CWinApp {
public:
    explicit ConsignBenchApp(const char *title) : win::CWinApp(title) {}
    win::BOOL InitInstance() override { return win::TRUE; }
};

// The application titled `title` for the program `name`, made on the first call.
inline void EnsureConsignGui(const char *name, const char *title)
{
    static std::string program;
    static char *argv[2] = {nullptr, nullptr};
    static int argc = 1;
    static ConsignBenchApp *app = [&] {
        program = name;
        argv[0] = program.data();
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto *a = new ConsignBenchApp(title);
        a->InitApplication(argc, argv);
        win::RecordMessageBoxes(true);
        return a;
    }();
    (void)app;
}

// Writes `text` as the settings file `file` in the temporary folder and makes it
// the program's settings file; returns its path.
inline const std::string &UseBenchSettings(const char *file, const char *text)
{
    static std::string path;
    path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/" + file;
    if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fputs(text, f);
        std::fclose(f);
    }
    SettingsPath = path.c_str();
    return path;
}

} // namespace benchfix
