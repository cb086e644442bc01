// Works the modal dialogs of one form class step by step: each showing of a
// dialog of that class (the same form shown again counts anew) gets the next
// step, from the dialog's own modal loop.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "platform/forms/TForm.h"

namespace testsupport {

// The modal form of type D among `root` and the components it owns, at any
// depth, or null.
template <typename D>
D *ModalForm(win::TComponent *root)
{
    if (auto *d = dynamic_cast<D *>(root); d && d->Modal())
        return d;
    for (int i = 0; i < root->ComponentCount(); ++i)
        if (D *d = ModalForm<D>(root->Components(i)))
            return d;
    return nullptr;
}

// While it lives, each modal showing of a D under `root` gets the next step,
// which must end the showing (a button, a ModalResult). A showing past the
// steps is cancelled and counted in `extra`, so that a test never hangs.
template <typename D>
class ModalSteps {
public:
    ModalSteps(win::TComponent *root, std::vector<std::function<void(D *)>> steps) : steps_(std::move(steps))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, root] {
            D *d = ModalForm<D>(root);
            if (!d || d->ModalResult != win::mrNone)
                return;
            if (next_ < steps_.size()) {
                steps_[next_++](d);
            } else {
                ++extra;
                d->ModalResult = win::mrCancel;
            }
        });
        timer_.start();
    }
    // How many steps ran.
    size_t Done() const { return next_; }
    int extra = 0;

private:
    std::vector<std::function<void(D *)>> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

} // namespace testsupport
