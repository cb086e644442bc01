#include "platform/forms/TComboBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

namespace {

constexpr int kSimpleEditHeight = 22;

// The simple style: an edit above a list that is always open, in the room the
// control has; Up and Down in the edit move the choice through the list.
class SimpleCombo : public QWidget {
public:
    explicit SimpleCombo(QWidget *parent) : QWidget(parent), edit(new QLineEdit(this)), list(new QListWidget(this))
    {
        setFocusProxy(edit);
        edit->installEventFilter(this);
    }
    QLineEdit *const edit;
    QListWidget *const list;

    // The edit on top, the list below it. As a Windows combo box without
    // CBS_NOINTEGRALHEIGHT, the list is only as tall as its whole rows: the room
    // below the last whole row is left to the parent, so that no row shows cut
    // at the bottom. A room smaller than one row keeps what there is.
    void Layout()
    {
        const int editHeight = std::min(kSimpleEditHeight, height());
        edit->setGeometry(0, 0, width(), editHeight);
        const int room = height() - editHeight;
        const int frame = 2 * list->frameWidth();
        int row = list->count() > 0 ? list->sizeHintForRow(0) : 0;
        if (row <= 0)
            row = list->fontMetrics().height();
        const int rows = row > 0 ? (room - frame) / row : 0;
        list->setGeometry(0, editHeight, width(), rows > 0 ? frame + rows * row : room);
        list->setVisible(room > 0);
    }

protected:
    void resizeEvent(QResizeEvent *) override { Layout(); }
    void changeEvent(QEvent *e) override
    {
        QWidget::changeEvent(e);
        if (e->type() == QEvent::FontChange)
            Layout();
    }
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == edit && e->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent *>(e)->key();
            if ((key == Qt::Key_Up || key == Qt::Key_Down) && list->count() > 0) {
                int row = list->currentRow() + (key == Qt::Key_Up ? -1 : 1);
                list->setCurrentRow(std::clamp(row, 0, list->count() - 1));
                return true;
            }
        }
        return QWidget::eventFilter(watched, e);
    }
};

} // namespace

TComboBox::TComboBox(TComponent *Owner)
    : TWinControl(Owner), Items(new TControlItems([this] { Fill(); })), items_(Items)
{
    TControl::SetColor(clWindow);
    SetBounds(0, 0, 145, 22);
}

QWidget *TComboBox::CreateWidget(QWidget *parent)
{
    if (style_ == csSimple) {
        auto *simple = new SimpleCombo(parent);
        QObject::connect(simple->list, &QListWidget::currentRowChanged, [this, simple](int row) {
            if (filling_ || row < 0)
                return;
            itemIndex_ = row;
            caption_ = Items->Strings(row);
            filling_ = true;
            simple->edit->setText(QtText(caption_.c_str()));
            filling_ = false;
            if (OnChange)
                OnChange(this);
        });
        QObject::connect(simple->edit, &QLineEdit::textEdited, [this, simple](const QString &text) {
            caption_ = GbkText(text).c_str();
            itemIndex_ = Items->IndexOf(caption_);
            filling_ = true;
            simple->list->setCurrentRow(itemIndex_);
            filling_ = false;
            if (OnChange)
                OnChange(this);
        });
        return simple;
    }
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
    if (auto *simple = dynamic_cast<SimpleCombo *>(Widget())) {
        filling_ = true;
        simple->list->clear();
        for (int i = 0; i < Items->Count(); ++i)
            simple->list->addItem(QtText(Items->Strings(i).c_str()));
        simple->list->setCurrentRow(itemIndex_);
        simple->edit->setText(QtText(itemIndex_ >= 0 ? Items->Strings(itemIndex_).c_str() : caption_.c_str()));
        filling_ = false;
        simple->Layout();
        return;
    }
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
