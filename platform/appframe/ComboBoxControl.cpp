// The "ComboBox" window class on a QComboBox: drop-down lists (CBS_DROPDOWNLIST,
// a typed letter selects the next item starting with it) and editable boxes
// (CBS_DROPDOWN), sorted or not, with item data, and CBN_SELCHANGE (the user's
// choices only, as on Windows), CBN_EDITCHANGE, CBN_DROPDOWN, CBN_CLOSEUP,
// CBN_SETFOCUS and CBN_KILLFOCUS to the parent.
#include <QComboBox>
#include <QLineEdit>

#include <cstring>

#include "platform/appframe/ControlHelpers.h"
#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/Text.h"

namespace win {

namespace {

class ComboBox : public QComboBox {
public:
    ComboBox(QWidget *parent, std::function<void(bool)> onPopup) : QComboBox(parent), onPopup_(std::move(onPopup)) {}
    void showPopup() override
    {
        onPopup_(true);
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        onPopup_(false);
    }

protected:
    // The template's height includes the drop-down list; the box shows one line.
    // The box lays out its edit field for the height it keeps: a field left at the
    // template's height would centre its text below the box's visible line.
    void resizeEvent(QResizeEvent *e) override
    {
        int h = sizeHint().height();
        if (height() > h)
            resize(width(), h);
        QComboBox::resizeEvent(e);
    }

private:
    std::function<void(bool)> onPopup_;
};

int CompareText(const std::string &a, const std::string &b)
{
    return GbkUpper(a).compare(GbkUpper(b));
}

class ComboBoxControl : public NativeControl {
public:
    QWidget *CreateWidget(QWidget *parent, const CREATESTRUCTA &cs) override
    {
        auto style = static_cast<DWORD>(cs.style);
        box_ = new ComboBox(parent, [this](bool open) {
            open_ = open;
            Notify(open ? CBN_DROPDOWN : CBN_CLOSEUP);
        });
        box_->setEditable((style & 0x3) == CBS_DROPDOWN || (style & 0x3) == CBS_SIMPLE);
        box_->setInsertPolicy(QComboBox::NoInsert);
        box_->setMaxVisibleItems(12);
        QObject::connect(box_, &QComboBox::currentIndexChanged, box_, [this](int) {
            if (!quiet_)
                Notify(CBN_SELCHANGE);
        });
        if (box_->lineEdit()) {
            QObject::connect(box_, &QComboBox::editTextChanged, box_, [this](const QString &) {
                if (!quiet_)
                    Notify(CBN_EDITCHANGE);
            });
        }
        return box_;
    }

    std::string Text() const override { return box_ ? GbkText(box_->currentText()) : title_; }

    void SetText(const std::string &text) override
    {
        if (box_ && box_->isEditable()) {
            Quiet q(this);
            box_->setEditText(QtText(text));
        }
    }

    LRESULT DialogCode(WPARAM) const override { return DLGC_WANTCHARS | DLGC_WANTARROWS; }
    UINT CtlColorMessage() const override { return WM_CTLCOLOREDIT; }
    void FocusChanged(bool gained) override { Notify(gained ? CBN_SETFOCUS : CBN_KILLFOCUS); }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        auto text = [lParam] { return std::string(lParam ? reinterpret_cast<const char *>(lParam) : ""); };
        int index = static_cast<int>(static_cast<intptr_t>(wParam));
        switch (msg) {
        case CB_ADDSTRING:
            return Insert(-1, text(), (Style() & CBS_SORT) != 0);
        case CB_INSERTSTRING:
            return Insert(index, text(), false);
        case CB_DELETESTRING: {
            if (index < 0 || index >= box_->count())
                return CB_ERR;
            Quiet q(this);
            box_->removeItem(index);
            return box_->count();
        }
        case CB_RESETCONTENT: {
            Quiet q(this);
            box_->clear();
            return 0;
        }
        case CB_GETCOUNT:
            return box_->count();
        case CB_GETCURSEL:
            return box_->currentIndex();
        case CB_SETCURSEL: {
            Quiet q(this);
            bool valid = index >= 0 && index < box_->count();
            box_->setCurrentIndex(valid ? index : -1);
            return valid ? index : CB_ERR;
        }
        case CB_GETLBTEXT: {
            if (index < 0 || index >= box_->count() || !lParam)
                return CB_ERR;
            std::string item = GbkText(box_->itemText(index));
            std::memcpy(reinterpret_cast<char *>(lParam), item.c_str(), item.size() + 1);
            return static_cast<LRESULT>(item.size());
        }
        case CB_GETLBTEXTLEN:
            if (index < 0 || index >= box_->count())
                return CB_ERR;
            return static_cast<LRESULT>(GbkText(box_->itemText(index)).size());
        case CB_SETITEMDATA:
            if (index < 0 || index >= box_->count())
                return CB_ERR;
            box_->setItemData(index, QVariant::fromValue<qulonglong>(static_cast<qulonglong>(lParam)));
            return TRUE;
        case CB_GETITEMDATA:
            if (index < 0 || index >= box_->count())
                return CB_ERR;
            return static_cast<LRESULT>(box_->itemData(index).toULongLong());
        case CB_FINDSTRING:
            return Find(index, text(), false);
        case CB_FINDSTRINGEXACT:
            return Find(index, text(), true);
        case CB_SELECTSTRING: {
            int found = Find(index, text(), false);
            if (found != CB_ERR) {
                Quiet q(this);
                box_->setCurrentIndex(found);
            }
            return found;
        }
        case CB_LIMITTEXT:
            if (box_->lineEdit())
                box_->lineEdit()->setMaxLength(wParam ? static_cast<int>(wParam) : 32767);
            return TRUE;
        case CB_SHOWDROPDOWN:
            if (wParam)
                box_->showPopup();
            else
                box_->hidePopup();
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return open_;
        case CB_GETEDITSEL:
            return 0;
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

private:
    struct Quiet {
        explicit Quiet(ComboBoxControl *c) : c_(c), saved_(c->quiet_) { c_->quiet_ = true; }
        ~Quiet() { c_->quiet_ = saved_; }
        ComboBoxControl *c_;
        bool saved_;
    };

    int Insert(int index, const std::string &text, bool sorted)
    {
        Quiet q(this);
        int count = box_->count();
        if (sorted) {
            index = 0;
            while (index < count && CompareText(GbkText(box_->itemText(index)), text) <= 0)
                ++index;
        } else if (index < 0 || index > count) {
            index = count;
        }
        box_->insertItem(index, QtText(text));
        // Inserting into an empty box leaves it without a selection, as on Windows.
        if (count == 0)
            box_->setCurrentIndex(-1);
        return index;
    }

    // The first item after `start` (wrapping around) that starts with the text
    // (or equals it), without regard to case.
    int Find(int start, const std::string &text, bool exact) const
    {
        int count = box_->count();
        std::string key = GbkUpper(text);
        for (int step = 1; step <= count; ++step) {
            int i = ((start < 0 ? -1 : start) + step) % count;
            std::string item = GbkUpper(GbkText(box_->itemText(i)));
            if (exact ? item == key : item.compare(0, key.size(), key) == 0)
                return i;
        }
        return CB_ERR;
    }

    ComboBox *box_ = nullptr;
    bool quiet_ = false;
    bool open_ = false;
};

} // namespace

void RegisterComboBoxControl()
{
    RegisterWidgetClass("ComboBox", NativeControlProc<ComboBoxControl>, CS_DBLCLKS);
}

} // namespace win
