// The "Button" window class: push buttons (QPushButton), check boxes and radio
// buttons (with Windows' own rules: only the automatic kinds change their state
// when clicked, and radio groups run from one WS_GROUP control to the next),
// group boxes, and owner-drawn buttons that the parent paints (WM_DRAWITEM on
// the button's own image). Clicks reach the parent as BN_CLICKED.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"

namespace win {

namespace {

DWORD KindOf(DWORD style) { return style & BS_TYPEMASK; }

bool IsRadioKind(DWORD kind) { return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON; }
bool IsCheckKind(DWORD kind)
{
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE;
}

// A check box that only changes its state by itself when it is an automatic one.
class CheckBox : public QCheckBox {
public:
    CheckBox(QWidget *parent, bool automatic) : QCheckBox(parent), automatic_(automatic) {}

protected:
    void nextCheckState() override
    {
        if (automatic_)
            QCheckBox::nextCheckState();
    }

private:
    bool automatic_;
};

class RadioButton : public QRadioButton {
public:
    RadioButton(QWidget *parent, std::function<void()> onNext) : QRadioButton(parent), onNext_(std::move(onNext))
    {
        setAutoExclusive(false);
    }

protected:
    void nextCheckState() override { onNext_(); }

private:
    std::function<void()> onNext_;
};

class ButtonControl : public NativeControl {
public:
    QWidget *CreateWidget(QWidget *parent, const CREATESTRUCTA &cs) override
    {
        auto style = static_cast<DWORD>(cs.style);
        kind_ = KindOf(style);
        QString text = QtText(cs.lpszName ? cs.lpszName : "");
        if (kind_ == BS_OWNERDRAW)
            return nullptr;
        if (kind_ == BS_GROUPBOX) {
            auto *box = new QGroupBox(text, parent);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            box->lower();
            return box;
        }
        if (IsCheckKind(kind_)) {
            auto *box = new CheckBox(parent, kind_ == BS_AUTOCHECKBOX || kind_ == BS_AUTO3STATE);
            box->setTristate(kind_ == BS_3STATE || kind_ == BS_AUTO3STATE);
            box->setText(text);
            button_ = box;
        } else if (IsRadioKind(kind_)) {
            auto *radio = new RadioButton(parent, [this] {
                if (kind_ == BS_AUTORADIOBUTTON)
                    CheckInGroup();
            });
            radio->setText(text);
            button_ = radio;
        } else {
            auto *push = new QPushButton(text, parent);
            push->setAutoDefault(false);
            push->setDefault(kind_ == BS_DEFPUSHBUTTON);
            button_ = push;
        }
        QObject::connect(button_, &QAbstractButton::clicked, button_, [this] { Notify(BN_CLICKED); });
        return button_;
    }

    void SetText(const std::string &text) override
    {
        title_ = text;
        if (button_)
            button_->setText(QtText(text));
        else if (auto *box = qobject_cast<QGroupBox *>(widget_.data()))
            box->setTitle(QtText(text));
    }

    LRESULT DialogCode(WPARAM) const override
    {
        if (kind_ == BS_GROUPBOX)
            return DLGC_STATIC;
        if (IsRadioKind(kind_))
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (IsCheckKind(kind_))
            return DLGC_BUTTON;
        return DLGC_BUTTON | (kind_ == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }

    UINT CtlColorMessage() const override
    {
        return kind_ == BS_PUSHBUTTON || kind_ == BS_DEFPUSHBUTTON || kind_ == BS_OWNERDRAW ? WM_CTLCOLORBTN
                                                                                             : WM_CTLCOLORSTATIC;
    }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case BM_GETCHECK:
            return Check();
        case BM_SETCHECK:
            SetCheck(static_cast<int>(wParam));
            return 0;
        case BM_GETSTATE:
            return Check() | (pushed_ ? BST_PUSHED : 0) | (widget_ && widget_->hasFocus() ? BST_FOCUS : 0);
        case BM_SETSTATE:
            pushed_ = wParam != 0;
            if (button_)
                button_->setDown(pushed_);
            Repaint();
            return 0;
        case BM_CLICK:
            Click();
            return 0;
        case BM_SETSTYLE: {
            DWORD kind = KindOf(static_cast<DWORD>(wParam));
            if ((kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) &&
                (kind_ == BS_PUSHBUTTON || kind_ == BS_DEFPUSHBUTTON)) {
                kind_ = kind;
                SetStyleBits((Style() & ~BS_TYPEMASK) | kind);
                if (auto *push = qobject_cast<QPushButton *>(button_))
                    push->setDefault(kind == BS_DEFPUSHBUTTON);
            }
            if (lParam)
                Repaint();
            return 0;
        }
        default:
            break;
        }
        if (kind_ == BS_OWNERDRAW)
            return OwnerDrawProc(msg, wParam, lParam);
        return NativeControl::WndProc(msg, wParam, lParam);
    }

private:
    int Check() const
    {
        if (auto *box = qobject_cast<QCheckBox *>(button_)) {
            Qt::CheckState s = box->checkState();
            return s == Qt::Checked ? BST_CHECKED : s == Qt::PartiallyChecked ? BST_INDETERMINATE : BST_UNCHECKED;
        }
        if (IsRadioKind(kind_) && button_)
            return button_->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        return BST_UNCHECKED;
    }

    void SetCheck(int state)
    {
        if (auto *box = qobject_cast<QCheckBox *>(button_))
            box->setCheckState(state == BST_CHECKED ? Qt::Checked
                                                     : state == BST_INDETERMINATE && box->isTristate()
                                                           ? Qt::PartiallyChecked
                                                           : Qt::Unchecked);
        else if (IsRadioKind(kind_) && button_)
            button_->setChecked(state == BST_CHECKED);
    }

    void Click()
    {
        if (button_)
            button_->click();
        else if (kind_ == BS_OWNERDRAW)
            Notify(BN_CLICKED);
    }

    // An automatic radio button checks itself and unchecks the others of its
    // group.
    void CheckInGroup()
    {
        HWND parent = Parent();
        if (button_)
            button_->setChecked(true);
        if (!parent)
            return;
        std::vector<HWND> siblings;
        for (QObject *o : widget_->parentWidget() ? widget_->parentWidget()->children() : QObjectList()) {
            auto *w = qobject_cast<QWidget *>(o);
            HWND h = w ? WindowOfWidget(w) : 0;
            if (h && GetParent(h) == parent)
                siblings.push_back(h);
        }
        std::sort(siblings.begin(), siblings.end());
        auto me = std::find(siblings.begin(), siblings.end(), hwnd);
        if (me == siblings.end())
            return;
        auto styleOf = [](HWND h) { return static_cast<DWORD>(GetWindowLongPtrA(h, GWL_STYLE)); };
        auto first = me;
        while (first != siblings.begin() && !(styleOf(*first) & WS_GROUP))
            --first;
        auto last = me + 1;
        while (last != siblings.end() && !(styleOf(*last) & WS_GROUP))
            ++last;
        for (auto it = first; it != last; ++it) {
            if (*it == hwnd)
                continue;
            NativeControl *other = NativeControlOf(*it);
            auto *otherButton = dynamic_cast<ButtonControl *>(other);
            if (otherButton && IsRadioKind(otherButton->kind_) && otherButton->button_)
                otherButton->button_->setChecked(false);
        }
    }

    LRESULT OwnerDrawProc(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        int x = static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)));
        int y = static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)));
        bool inside = widget_ && x >= 0 && y >= 0 && x < widget_->width() && y < widget_->height();
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (!dc)
                return 0;
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_BUTTON;
            dis.CtlID = Id();
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (pushed_ ? ODS_SELECTED : 0) | (widget_ && widget_->hasFocus() ? ODS_FOCUS : 0) |
                            (widget_ && !widget_->isEnabled() ? ODS_DISABLED : 0);
            dis.hwndItem = hwnd;
            dis.hDC = dc;
            GetClientRect(hwnd, &dis.rcItem);
            if (HWND parent = Parent())
                SendMessageA(parent, WM_DRAWITEM, Id(), reinterpret_cast<LPARAM>(&dis));
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            tracking_ = true;
            pushed_ = true;
            if (widget_)
                widget_->setFocus(Qt::MouseFocusReason);
            Repaint();
            return 0;
        case WM_MOUSEMOVE:
            if (tracking_ && pushed_ != inside) {
                pushed_ = inside;
                Repaint();
            }
            return 0;
        case WM_LBUTTONUP: {
            bool click = tracking_ && inside;
            tracking_ = false;
            pushed_ = false;
            Repaint();
            if (click)
                Notify(BN_CLICKED);
            return 0;
        }
        case WM_KEYUP:
            if (wParam == VK_SPACE)
                Notify(BN_CLICKED);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
            Repaint();
            return 0;
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

    DWORD kind_ = BS_PUSHBUTTON;
    QAbstractButton *button_ = nullptr;
    bool pushed_ = false;
    bool tracking_ = false;
};

} // namespace

void RegisterButtonControl() { RegisterWidgetClass("Button", NativeControlProc<ButtonControl>, CS_DBLCLKS); }

} // namespace win
