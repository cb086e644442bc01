#include "platform/win/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <deque>
#include <mutex>

#include "platform/win/Text.h"
#include "platform/win/ThreadQueue.h"
#include "platform/win/WindowSurface.h"

namespace win {
namespace {

struct Recorder {
    std::mutex lock;
    bool on = false;
    std::deque<int> script;
    std::vector<ShownMessageBox> shown;
};

Recorder &R()
{
    static auto *recorder = new Recorder;
    return *recorder;
}

std::vector<int> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int DefaultAnswer(UINT type)
{
    std::vector<int> buttons = ButtonsOf(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

bool Offers(UINT type, int answer)
{
    for (int b : ButtonsOf(type))
        if (b == answer)
            return true;
    return false;
}

QString ToQt(const std::string &gbk)
{
    std::string text;
    text.reserve(gbk.size());
    // Windows line breaks ("\r\n", and the "\n\r" some texts carry) become one break.
    for (char c : gbk)
        if (c != '\r')
            text.push_back(c);
    return QString::fromStdString(GbkToUtf8(text));
}

const char16_t *ButtonText(int id)
{
    switch (id) {
    case IDOK:
        return u"确定";
    case IDCANCEL:
        return u"取消";
    case IDABORT:
        return u"中止";
    case IDRETRY:
        return u"重试";
    case IDIGNORE:
        return u"忽略";
    case IDYES:
        return u"是";
    default:
        return u"否";
    }
}

QMessageBox::ButtonRole RoleOf(int id)
{
    switch (id) {
    case IDOK:
    case IDYES:
    case IDRETRY:
        return QMessageBox::AcceptRole;
    case IDNO:
        return QMessageBox::NoRole;
    case IDIGNORE:
        return QMessageBox::ActionRole;
    default:
        return QMessageBox::RejectRole;
    }
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowQtBox(HWND owner, const std::string &text, const std::string &caption, UINT type)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", GbkToUtf8(caption).c_str(), GbkToUtf8(text).c_str());
        return DefaultAnswer(type);
    }
    QMessageBox box(IconOf(type), ToQt(caption), ToQt(text), QMessageBox::NoButton, WindowWidget(owner));
    box.setTextFormat(Qt::PlainText);
    if (type & (MB_TOPMOST | MB_SYSTEMMODAL))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    std::vector<std::pair<QAbstractButton *, int>> buttons;
    int defaultId = DefaultAnswer(type);
    for (int id : ButtonsOf(type)) {
        QPushButton *b = box.addButton(QString::fromUtf16(ButtonText(id)), RoleOf(id));
        buttons.emplace_back(b, id);
        if (id == defaultId)
            box.setDefaultButton(b);
        if (id == IDCANCEL || ButtonsOf(type).size() == 1)
            box.setEscapeButton(b);
    }
    box.exec();
    for (auto &[button, id] : buttons)
        if (box.clickedButton() == button)
            return id;
    return Offers(type, IDCANCEL) ? IDCANCEL : defaultId;
}

} // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    std::string body = text ? text : "";
    std::string title = caption ? caption : "错误";
    return static_cast<int>(RunOnGuiThread([=]() -> LRESULT {
        std::shared_ptr<ThreadQueue> gui = GuiQueue();
        bool onGui = !gui || gui.get() == CurrentQueue().get();
        {
            std::lock_guard<std::mutex> guard(R().lock);
            if (R().on) {
                int answer = DefaultAnswer(type);
                if (!R().script.empty()) {
                    if (Offers(type, R().script.front()))
                        answer = R().script.front();
                    R().script.pop_front();
                }
                R().shown.push_back(ShownMessageBox{owner, title, body, type, type & MB_TYPEMASK,
                                                    type & MB_ICONMASK, answer, onGui});
                return answer;
            }
        }
        return ShowQtBox(owner, body, title, type);
    }));
}

void RecordMessageBoxes(bool on)
{
    std::lock_guard<std::mutex> guard(R().lock);
    R().on = on;
    R().script.clear();
    R().shown.clear();
}

void ScriptMessageBoxAnswers(std::vector<int> answers)
{
    std::lock_guard<std::mutex> guard(R().lock);
    R().script.assign(answers.begin(), answers.end());
}

std::vector<ShownMessageBox> ShownMessageBoxes()
{
    std::lock_guard<std::mutex> guard(R().lock);
    return R().shown;
}

} // namespace win
