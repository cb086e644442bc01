#include "platform/forms/TMemo.h"

#include <QMouseEvent>
#include <QTextEdit>

#include <functional>
#include <string>
#include <utility>

#include "platform/forms/WindowHost.h"

namespace win {

namespace {

class ClickWatch : public QObject {
public:
    ClickWatch(QWidget *watched, std::function<void()> click) : QObject(watched), click_(std::move(click)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(e);
            if (mouse->button() == Qt::LeftButton) {
                const bool inside = static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
                if (e->type() == QEvent::MouseButtonPress)
                    pressed_ = true;
                else if (std::exchange(pressed_, false) && inside)
                    click_();
            }
        }
        return false;
    }

private:
    std::function<void()> click_;
    bool pressed_ = false;
};

} // namespace

TMemo::TMemo(TComponent *Owner) : TMemo(Owner, [](std::function<void()> changed) {
    return std::make_unique<TControlItems>(std::move(changed));
})
{
}

TMemo::TMemo(TComponent *Owner,
             const std::function<std::unique_ptr<TControlItems>(std::function<void()>)> &makeLines)
    : TWinControl(Owner), Lines(makeLines([this] { ShowLines(); }).release()), lines_(Lines)
{
    TControl::SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

QWidget *TMemo::CreateWidget(QWidget *parent)
{
    auto *edit = new QTextEdit(parent);
    edit->setAcceptRichText(false);
    QObject::connect(edit, &QTextEdit::textChanged, [this, edit] {
        if (showing_)
            return;
        showing_ = true;
        std::string text = GbkText(edit->toPlainText());
        Lines->SetText(AnsiString(text.data(), static_cast<int>(text.size())));
        showing_ = false;
        if (OnChange)
            OnChange(this);
    });
    return edit;
}

void TMemo::CreateWnd()
{
    TWinControl::CreateWnd();
    // The text's mouse input goes to the edit's viewport: a left button pressed
    // and released there is the memo's click, as on a memo's window.
    auto *edit = static_cast<QTextEdit *>(Widget());
    edit->viewport()->installEventFilter(new ClickWatch(edit->viewport(), [this] { Click(); }));
    Apply();
    ShowLines();
}

AnsiString TMemo::GetCaption() const { return Lines->Text(); }

void TMemo::SetCaption(AnsiString caption) { Lines->SetText(caption); }

void TMemo::ShowLines()
{
    if (showing_ || !HandleAllocated())
        return;
    showing_ = true;
    std::string text;
    for (int i = 0; i < Lines->Count(); ++i) {
        if (i)
            text += '\n';
        const AnsiString &line = Lines->Strings(i);
        text.append(line.c_str(), static_cast<size_t>(line.Length()));
    }
    static_cast<QTextEdit *>(Widget())->setPlainText(QtText(text));
    showing_ = false;
}

void TMemo::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    Apply();
}

void TMemo::SetScrollBars(TScrollStyle style)
{
    scrollBars_ = style;
    Apply();
}

void TMemo::Apply()
{
    if (!HandleAllocated())
        return;
    auto *edit = static_cast<QTextEdit *>(Widget());
    edit->setReadOnly(readOnly_);
    bool vertical = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    bool horizontal = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(horizontal ? QTextEdit::NoWrap : QTextEdit::WidgetWidth);
}

} // namespace win
