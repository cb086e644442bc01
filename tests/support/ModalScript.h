// Drives modal dialogs in tests: acts on a window of a given title each time a
// new one shows, from the event loop that the dialog's own modal loop runs.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win/Process.h"
#include "platform/win/Window.h"

namespace testsupport {

// Calls `action` with each new visible top-level window titled `title` (GBK)
// while the returned script lives. The action runs on the GUI thread from a
// timer, so it may post clicks that open further modal dialogs.
class ModalScript {
public:
    ModalScript(std::string title, std::function<void(win::HWND)> action)
        : ModalScript([title] { return win::FindWindowA(nullptr, title.c_str()); }, std::move(action))
    {
    }
    // The same for the window `find` names (0: none yet), such as a dialog owned
    // by another window.
    ModalScript(std::function<win::HWND()> find, std::function<void(win::HWND)> action)
        : find_(std::move(find)), action_(std::move(action)), timer_(std::make_unique<QTimer>())
    {
        timer_->setInterval(10);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] {
            const win::HWND found = find_();
            if (found == 0 || found == last_ || !win::IsWindowVisible(found))
                return;
            // The window has handled its showing (and set its first focus) by
            // the tick after the one that first sees it.
            if (found != seen_) {
                seen_ = found;
                return;
            }
            last_ = found;
            ++count_;
            action_(found);
        });
        timer_->start();
    }
    // How many windows it acted on.
    int Count() const { return count_; }

private:
    std::function<win::HWND()> find_;
    std::function<void(win::HWND)> action_;
    std::unique_ptr<QTimer> timer_;
    win::HWND seen_ = 0;
    win::HWND last_ = 0;
    int count_ = 0;
};

} // namespace testsupport

namespace testsupport {

// Destroys the windows this process still has (the socket layer's own among
// them), so that the program ends without windows left to its memory check.
inline void DestroyOwnWindows()
{
    std::vector<win::HWND> own;
    win::EnumWindows(
        [](win::HWND h, win::LPARAM list) -> win::BOOL {
            win::DWORD process = 0;
            win::GetWindowThreadProcessId(h, &process);
            if (process == win::GetCurrentProcessId())
                reinterpret_cast<std::vector<win::HWND> *>(list)->push_back(h);
            return win::TRUE;
        },
        reinterpret_cast<win::LPARAM>(&own));
    for (win::HWND h : own)
        win::DestroyWindow(h);
}

// A test environment that does so when every test has run.
class DestroyWindowsAtEnd : public ::testing::Environment {
public:
    void TearDown() override { DestroyOwnWindows(); }
};

} // namespace testsupport
