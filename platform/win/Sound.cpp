#include "platform/win/Sound.h"

#include <QApplication>
#include <QMetaObject>

#include <mutex>

#include "platform/win/Thread.h"

namespace win {
namespace {

std::mutex recordLock;
bool recording = false;
std::vector<RecordedBeep> beeps;

} // namespace

BOOL Beep(DWORD frequency, DWORD durationMs)
{
    {
        std::lock_guard<std::mutex> guard(recordLock);
        if (recording) {
            beeps.push_back({frequency, durationMs});
            return TRUE;
        }
    }
    // The desktop has no tone generator for programs; its bell stands in, rung on
    // the GUI thread whichever thread asked.
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    Sleep(durationMs);
    return TRUE;
}

void RecordSounds(bool on)
{
    std::lock_guard<std::mutex> guard(recordLock);
    recording = on;
    beeps.clear();
}

std::vector<RecordedBeep> RecordedBeeps()
{
    std::lock_guard<std::mutex> guard(recordLock);
    return beeps;
}

} // namespace win
