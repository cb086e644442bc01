// Inside the framework: the tool tip window ("tooltips_class32"): a pop-up that
// keeps tools (a window and an id, with a rectangle of that window and a text),
// watches the mouse messages relayed to it and, after a short pause over a tool,
// shows the tool's text below the pointer without taking the focus or
// activating; leaving the tool or pressing a button hides it.
#pragma once

#include <string>
#include <vector>

#include "platform/appframe/CommCtrl.h"

namespace win {

template <typename T>
class ControlWindows;

class ToolTipWindow {
public:
    // Registers the window class; idempotent.
    static void Register();

private:
    struct Tool {
        HWND hwnd = 0;
        UINT_PTR id = 0;
        UINT flags = 0;
        RECT rect{};
        std::string text;
    };

    explicit ToolTipWindow(HWND hwnd);
    friend class ControlWindows<ToolTipWindow>;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    Tool *Find(HWND hwnd, UINT_PTR id);
    void Relay(const MSG &msg);
    void Show();
    void Hide();
    void Paint();

    HWND hwnd_;
    HFONT font_ = 0;
    std::vector<Tool> tools_;
    bool active_ = true;
    // The tool under the pointer (index), and whether its tip is showing.
    int current_ = -1;
    bool shown_ = false;
    POINT at_{0, 0};
};

} // namespace win
