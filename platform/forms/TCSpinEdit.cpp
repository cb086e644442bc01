#include "platform/forms/TCSpinEdit.h"

#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <climits>

namespace win {

TCSpinEdit::TCSpinEdit(TComponent *Owner) : TWinControl(Owner) { SetBounds(0, 0, 121, 22); }

QWidget *TCSpinEdit::CreateWidget(QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    QObject::connect(box, &QSpinBox::valueChanged, [this](int v) {
        if (!applying_)
            SetValue(v);
    });
    return box;
}

void TCSpinEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    Apply();
}

int TCSpinEdit::Checked(int value) const
{
    return minValue_ == maxValue_ ? value : std::clamp(value, std::min(minValue_, maxValue_), maxValue_);
}

void TCSpinEdit::SetValue(int value)
{
    value = Checked(value);
    if (value == value_) {
        Apply();
        return;
    }
    value_ = value;
    Apply();
    if (OnChange)
        OnChange(this);
}

void TCSpinEdit::SetMinValue(int value)
{
    minValue_ = value;
    SetValue(value_);
}

void TCSpinEdit::SetMaxValue(int value)
{
    maxValue_ = value;
    SetValue(value_);
}

void TCSpinEdit::SetIncrement(int value)
{
    increment_ = value;
    Apply();
}

void TCSpinEdit::SetEditorEnabled(bool value)
{
    editorEnabled_ = value;
    Apply();
}

void TCSpinEdit::Apply()
{
    if (!HandleAllocated())
        return;
    auto *box = static_cast<QSpinBox *>(Widget());
    applying_ = true;
    if (minValue_ == maxValue_)
        box->setRange(INT_MIN, INT_MAX);
    else
        box->setRange(std::min(minValue_, maxValue_), maxValue_);
    box->setSingleStep(increment_);
    box->setValue(value_);
    // The text field refuses typing; the arrows still step the value.
    if (auto *line = box->findChild<QLineEdit *>())
        line->setReadOnly(!editorEnabled_);
    applying_ = false;
}

} // namespace win
