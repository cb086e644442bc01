#include "platform/win/GuiApplication.h"

#include <QApplication>

#include "platform/win/Runtime.h"
#include "platform/win/ThreadQueue.h"

namespace win {

struct GuiApplication::Impl {
    std::unique_ptr<QApplication> app;
};

GuiApplication::GuiApplication(int &argc, char **argv) : impl_(std::make_unique<Impl>())
{
    if (!QCoreApplication::instance()) {
        // The toolkit's runtime folder is this user's own, as the layer chose it.
        ExportRuntimeFolder();
        impl_->app = std::make_unique<QApplication>(argc, argv);
    }
    AttachEventLoopHost(CurrentQueue());
}

GuiApplication::~GuiApplication() = default;

int GuiApplication::Run() { return RunMainLoop(); }

} // namespace win
