// Inside the framework: the tool bar window ("ToolbarWindow32") with flat text
// buttons laid out left to right, each sized to its text. It tracks the button
// under the mouse (hot) and the pressed one, asks its parent to paint by custom
// draw (per button, with the hot, pressed and checked states), tells it of
// presses (NM_LDOWN), drop-down presses (TBN_DROPDOWN) and clicks (WM_COMMAND).
#pragma once

#include <string>
#include <vector>

#include "platform/appframe/CommCtrl.h"

namespace win {

template <typename T>
class ControlWindows;

class ToolbarWindow {
public:
    // Registers the window class; idempotent.
    static void Register();

private:
    struct Button {
        int command = 0;
        BYTE state = 0;
        BYTE style = 0;
        DWORD_PTR data = 0;
        INT_PTR string = -1;
        std::string text;
        RECT rect{};
    };

    explicit ToolbarWindow(HWND hwnd);
    friend class ControlWindows<ToolbarWindow>;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    int IndexOf(int command) const;
    int HitTest(int x, int y) const;
    void Layout();
    void SetHot(int index);
    void Paint();
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);

    HWND hwnd_;
    HFONT font_ = 0;
    std::vector<std::string> strings_;
    std::vector<Button> buttons_;
    int hot_ = -1;
    int pressing_ = -1;
};

} // namespace win
