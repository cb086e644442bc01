// Inside the framework: the status bar window ("msctls_statusbar32"): parts
// ending at given right edges (-1: the window's right edge), each with a text,
// painted as sunken boxes on the button face. It stays where its owner places it.
#pragma once

#include <string>
#include <vector>

#include "platform/appframe/CommCtrl.h"

namespace win {

template <typename T>
class ControlWindows;

class StatusWindow {
public:
    // Registers the window class; idempotent.
    static void Register();

private:
    struct Part {
        int right = -1;
        std::string text;
        UINT type = 0;
    };

    explicit StatusWindow(HWND hwnd);
    friend class ControlWindows<StatusWindow>;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    RECT PartRect(int index) const;
    void Paint();

    HWND hwnd_;
    HFONT font_ = 0;
    std::vector<Part> parts_;
};

} // namespace win
