// The application object of a program: makes the GUI (Qt) application on the
// calling thread, which becomes the GUI thread whose queue the event loop drives,
// and runs that loop until PostQuitMessage.
#pragma once

#include <memory>

namespace win {

class GuiApplication {
public:
    // argc and argv must outlive the object.
    GuiApplication(int &argc, char **argv);
    ~GuiApplication();
    GuiApplication(const GuiApplication &) = delete;
    GuiApplication &operator=(const GuiApplication &) = delete;

    // Runs the event loop; returns the code given to PostQuitMessage.
    int Run();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace win
