#include "platform/forms/TMemo.h"

#include <QPlainTextEdit>

#include "platform/forms/WindowHost.h"

namespace win {

TMemo::TMemo(TComponent *Owner)
    : TWinControl(Owner), Lines(new TControlItems([this] { ShowLines(); })), lines_(Lines)
{
    TControl::SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

QWidget *TMemo::CreateWidget(QWidget *parent)
{
    auto *edit = new QPlainTextEdit(parent);
    QObject::connect(edit, &QPlainTextEdit::textChanged, [this, edit] {
        if (showing_)
            return;
        showing_ = true;
        std::string text = GbkText(edit->toPlainText());
        Lines->SetText(text.c_str());
        showing_ = false;
        if (OnChange)
            OnChange(this);
    });
    return edit;
}

void TMemo::CreateWnd()
{
    TWinControl::CreateWnd();
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
        text += Lines->Strings(i).c_str();
    }
    static_cast<QPlainTextEdit *>(Widget())->setPlainText(QtText(text));
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
    auto *edit = static_cast<QPlainTextEdit *>(Widget());
    edit->setReadOnly(readOnly_);
    bool vertical = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    bool horizontal = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

} // namespace win
