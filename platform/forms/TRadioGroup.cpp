#include "platform/forms/TRadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>

#include "platform/forms/WindowHost.h"

namespace win {

TRadioGroup::TRadioGroup(TComponent *Owner) : TWinControl(Owner), items_(std::make_unique<TStringList>())
{
    SetBounds(0, 0, 185, 105);
}

TRadioGroup::~TRadioGroup() = default;

QWidget *TRadioGroup::CreateWidget(QWidget *parent)
{
    auto *box = new QGroupBox(parent);
    new QGridLayout(box);
    return box;
}

void TRadioGroup::ApplyCaption()
{
    static_cast<QGroupBox *>(Widget())->setTitle(QtText(caption_.c_str()));
    BuildButtons();
}

void TRadioGroup::BuildButtons()
{
    if (!HandleAllocated())
        return;
    auto *box = static_cast<QGroupBox *>(Widget());
    auto *layout = static_cast<QGridLayout *>(box->layout());
    for (QRadioButton *old : box->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
        delete old;
    int count = items_->Count();
    int perColumn = (count + columns_ - 1) / columns_;
    for (int i = 0; i < count; ++i) {
        auto *button = new QRadioButton(QtText(items_->Strings(i).c_str()), box);
        button->setChecked(i == itemIndex_);
        QObject::connect(button, &QRadioButton::clicked, [this, i] {
            if (i != itemIndex_) {
                SetItemIndex(i);
            }
        });
        layout->addWidget(button, perColumn ? i % perColumn : 0, perColumn ? i / perColumn : 0);
    }
}

void TRadioGroup::SetItems(TStringList *items)
{
    if (!items)
        return;
    items_->Assign(*items);
    ItemsChanged();
}

void TRadioGroup::ItemsChanged()
{
    if (itemIndex_ >= items_->Count())
        itemIndex_ = -1;
    BuildButtons();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= items_->Count())
        index = -1;
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    if (HandleAllocated()) {
        auto buttons = Widget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < buttons.size(); ++i) {
            buttons[i]->setAutoExclusive(false);
            buttons[i]->setChecked(i == index);
            buttons[i]->setAutoExclusive(true);
        }
    }
    Click();
}

void TRadioGroup::SetColumns(int columns)
{
    columns_ = std::max(columns, 1);
    BuildButtons();
}

} // namespace win
