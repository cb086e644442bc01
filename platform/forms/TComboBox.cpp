#include "platform/forms/TComboBox.h"

#include <QComboBox>
#include <QLineEdit>

#include "platform/forms/WindowHost.h"

namespace win {

TComboBox::TComboBox(TComponent *Owner)
    : TWinControl(Owner), Items(new TControlItems([this] { Fill(); })), items_(Items)
{
    TControl::SetColor(clWindow);
    SetBounds(0, 0, 145, 22);
}

QWidget *TComboBox::CreateWidget(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(box, &QComboBox::currentIndexChanged, [this](int index) {
        if (filling_)
            return;
        itemIndex_ = index;
        if (OnChange)
            OnChange(this);
    });
    QObject::connect(box, &QComboBox::editTextChanged, [this, box](const QString &text) {
        if (filling_)
            return;
        caption_ = GbkText(text).c_str();
        itemIndex_ = box->findText(text);
        if (OnChange)
            OnChange(this);
    });
    return box;
}

void TComboBox::CreateWnd()
{
    TWinControl::CreateWnd();
    Fill();
}

void TComboBox::Fill()
{
    if (itemIndex_ >= Items->Count())
        itemIndex_ = -1;
    if (!HandleAllocated())
        return;
    auto *box = static_cast<QComboBox *>(Widget());
    filling_ = true;
    box->setEditable(style_ != csDropDownList);
    box->setMaxVisibleItems(dropDownCount_);
    box->clear();
    for (int i = 0; i < Items->Count(); ++i)
        box->addItem(QtText(Items->Strings(i).c_str()));
    box->setCurrentIndex(itemIndex_);
    if (box->isEditable())
        box->setEditText(QtText(itemIndex_ >= 0 ? Items->Strings(itemIndex_).c_str() : caption_.c_str()));
    filling_ = false;
}

void TComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= Items->Count())
        index = -1;
    itemIndex_ = index;
    if (index >= 0)
        caption_ = Items->Strings(index);
    Fill();
}

AnsiString TComboBox::GetCaption() const
{
    if (style_ == csDropDownList)
        return itemIndex_ >= 0 ? Items->Strings(itemIndex_) : AnsiString();
    return caption_;
}

void TComboBox::ApplyCaption()
{
    itemIndex_ = Items->IndexOf(caption_);
    Fill();
}

void TComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    Fill();
}

void TComboBox::SetDropDownCount(int count)
{
    dropDownCount_ = count;
    Fill();
}

} // namespace win
