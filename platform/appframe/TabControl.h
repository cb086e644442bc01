// Inside the framework: the tab control window ("SysTabControl32"): a row (or,
// with TCS_MULTILINE, rows) of tabs above a framed display area. It paints
// itself, changes the current tab on a click or the arrow keys and tells its
// parent first (TCN_SELCHANGING, which may refuse) and after (TCN_SELCHANGE).
#pragma once

#include <string>
#include <vector>

#include "platform/appframe/CommCtrl.h"

namespace win {

template <typename T>
class ControlWindows;

class TabControl {
public:
    // Registers the window class; idempotent.
    static void Register();

private:
    struct Tab {
        std::string text;
        LPARAM data = 0;
        RECT rect{};
    };

    explicit TabControl(HWND hwnd);
    friend class ControlWindows<TabControl>;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    int TabHeight() const;
    // Places the tabs in rows; the current tab's row goes next to the display area.
    void Layout();
    void AdjustRect(bool larger, RECT &r) const;
    void Paint();
    // Makes `index` current as the user does, asking the parent first.
    void Select(int index);
    int HitTest(int x, int y) const;

    HWND hwnd_;
    HFONT font_ = 0;
    std::vector<Tab> tabs_;
    int current_ = -1;
    int rows_ = 1;
    bool focused_ = false;
};

} // namespace win
