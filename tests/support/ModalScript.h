// Drives modal dialogs in tests: acts on a window of a given title each time a
// new one shows, from the event loop that the dialog's own modal loop runs.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "platform/win/Window.h"

namespace testsupport {

// Calls `action` with each new visible top-level window titled `title` (GBK)
// while the returned script lives. The action runs on the GUI thread from a
// timer, so it may post clicks that open further modal dialogs.
class ModalScript {
public:
    ModalScript(std::string title, std::function<void(win::HWND)> action)
        : title_(std::move(title)), action_(std::move(action)), timer_(std::make_unique<QTimer>())
    {
        timer_->setInterval(10);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] {
            const win::HWND found = win::FindWindowA(nullptr, title_.c_str());
            if (found == 0 || found == last_ || !win::IsWindowVisible(found))
                return;
            last_ = found;
            ++count_;
            action_(found);
        });
        timer_->start();
    }
    // How many windows it acted on.
    int Count() const { return count_; }

private:
    std::string title_;
    std::function<void(win::HWND)> action_;
    std::unique_ptr<QTimer> timer_;
    win::HWND last_ = 0;
    int count_ = 0;
};

} // namespace testsupport
