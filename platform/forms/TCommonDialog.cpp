#include "platform/forms/TCommonDialog.h"

#include <QApplication>

#include <deque>
#include <mutex>

namespace win {
namespace {

struct Recorder {
    std::mutex lock;
    bool on = false;
    std::deque<DialogAnswer> script;
    std::vector<ShownDialog> shown;
};

Recorder &R()
{
    static auto *recorder = new Recorder;
    return *recorder;
}

} // namespace

void RecordDialogs(bool on)
{
    std::lock_guard<std::mutex> guard(R().lock);
    R().on = on;
    R().script.clear();
    R().shown.clear();
}

void ScriptDialogAnswers(std::vector<DialogAnswer> answers)
{
    std::lock_guard<std::mutex> guard(R().lock);
    R().script.assign(answers.begin(), answers.end());
}

std::vector<ShownDialog> ShownDialogs()
{
    std::lock_guard<std::mutex> guard(R().lock);
    return R().shown;
}

std::optional<DialogAnswer> RecordedDialogAnswer(const ShownDialog &shown)
{
    std::lock_guard<std::mutex> guard(R().lock);
    if (!R().on)
        return std::nullopt;
    R().shown.push_back(shown);
    DialogAnswer answer;
    if (!R().script.empty()) {
        answer = R().script.front();
        R().script.pop_front();
    }
    return answer;
}

bool CanShowDialogs()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    QString platform = QGuiApplication::platformName();
    return platform != QStringLiteral("offscreen") && platform != QStringLiteral("minimal");
}

} // namespace win
