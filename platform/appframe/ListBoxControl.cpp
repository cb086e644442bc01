// The "ListBox" window class, painted on the control's own image: items with
// text and data (or only data, for owner-drawn lists without strings), sorted
// by text or by the parent's WM_COMPAREITEM, single or multiple selection, a top
// index with a scroll bar, owner drawing through the parent's WM_DRAWITEM and
// WM_MEASUREITEM, WM_DELETEITEM for removed items with data, and LBN_SELCHANGE
// and LBN_DBLCLK (with LBS_NOTIFY), LBN_SETFOCUS and LBN_KILLFOCUS.
#include <QScrollBar>

#include <cstring>
#include <vector>

#include "platform/appframe/ControlHelpers.h"
#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

namespace win {

namespace {

constexpr int kScrollBarWidth = 17;

struct ListItem {
    std::string text;
    ULONG_PTR data = 0;
    bool selected = false;
};

class ListBoxControl : public NativeControl {
public:
    QWidget *CreateWidget(QWidget *, const CREATESTRUCTA &) override { return nullptr; }

    void Created() override
    {
        bar_ = new QScrollBar(Qt::Vertical, widget_);
        bar_->hide();
        QObject::connect(bar_, &QScrollBar::valueChanged, bar_, [this](int v) {
            if (v != top_) {
                top_ = v;
                Repaint();
            }
        });
        widget_->setFocusPolicy(Qt::StrongFocus);
    }

    void FontChanged() override
    {
        if (!OwnerDraw())
            height_ = 0;
        Layout();
    }

    LRESULT DialogCode(WPARAM) const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    UINT CtlColorMessage() const override { return WM_CTLCOLORLISTBOX; }

    void FocusChanged(bool gained) override
    {
        Repaint();
        Notify(gained ? LBN_SETFOCUS : LBN_KILLFOCUS);
    }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        int index = static_cast<int>(static_cast<intptr_t>(wParam));
        int count = Count();
        switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_DESTROY:
            DeleteItems(0, count);
            return 0;
        case LB_ADDSTRING:
            return Insert(-1, lParam, (Style() & LBS_SORT) != 0);
        case LB_INSERTSTRING:
            return Insert(index, lParam, false);
        case LB_DELETESTRING:
            if (index < 0 || index >= count)
                return LB_ERR;
            DeleteItems(index, index + 1);
            return Count();
        case LB_RESETCONTENT:
            DeleteItems(0, count);
            return 0;
        case LB_GETCOUNT:
            return count;
        case LB_SETCURSEL:
            if (Multiple())
                return LB_ERR;
            for (ListItem &item : items_)
                item.selected = false;
            caret_ = index >= 0 && index < count ? index : -1;
            if (caret_ >= 0) {
                items_[static_cast<size_t>(caret_)].selected = true;
                EnsureVisible(caret_);
            }
            Repaint();
            return caret_ >= 0 ? caret_ : LB_ERR;
        case LB_GETCURSEL:
            if (Multiple())
                return caret_;
            for (int i = 0; i < count; ++i)
                if (items_[static_cast<size_t>(i)].selected)
                    return i;
            return LB_ERR;
        case LB_SETSEL: {
            if (!Multiple())
                return LB_ERR;
            int which = static_cast<int>(lParam);
            if (which < -1 || which >= count)
                return LB_ERR;
            for (int i = 0; i < count; ++i)
                if (which == -1 || i == which)
                    items_[static_cast<size_t>(i)].selected = wParam != 0;
            Repaint();
            return 0;
        }
        case LB_GETSEL:
            if (index < 0 || index >= count)
                return LB_ERR;
            return items_[static_cast<size_t>(index)].selected ? 1 : 0;
        case LB_GETSELCOUNT: {
            if (!Multiple())
                return LB_ERR;
            int n = 0;
            for (const ListItem &item : items_)
                n += item.selected;
            return n;
        }
        case LB_GETSELITEMS: {
            if (!Multiple())
                return LB_ERR;
            auto *out = reinterpret_cast<int *>(lParam);
            int n = 0;
            for (int i = 0; i < count && n < index && out; ++i)
                if (items_[static_cast<size_t>(i)].selected)
                    out[n++] = i;
            return n;
        }
        case LB_GETTEXT: {
            if (index < 0 || index >= count || !lParam)
                return LB_ERR;
            const ListItem &item = items_[static_cast<size_t>(index)];
            if (!HasStrings()) {
                std::memcpy(reinterpret_cast<void *>(lParam), &item.data, sizeof(item.data));
                return sizeof(item.data);
            }
            std::memcpy(reinterpret_cast<char *>(lParam), item.text.c_str(), item.text.size() + 1);
            return static_cast<LRESULT>(item.text.size());
        }
        case LB_GETTEXTLEN:
            if (index < 0 || index >= count)
                return LB_ERR;
            return HasStrings() ? static_cast<LRESULT>(items_[static_cast<size_t>(index)].text.size())
                                : static_cast<LRESULT>(sizeof(ULONG_PTR));
        case LB_SETITEMDATA:
            if (index < 0 || index >= count)
                return LB_ERR;
            items_[static_cast<size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
            Repaint();
            return TRUE;
        case LB_GETITEMDATA:
            if (index < 0 || index >= count)
                return LB_ERR;
            return static_cast<LRESULT>(items_[static_cast<size_t>(index)].data);
        case LB_SETTOPINDEX:
            if (index < 0 || (index >= count && count > 0))
                return LB_ERR;
            SetTop(index);
            return 0;
        case LB_GETTOPINDEX:
            return top_;
        case LB_GETITEMRECT: {
            if (index < 0 || (index >= count && !(index == 0 && count == 0)) || !lParam)
                return LB_ERR;
            *reinterpret_cast<RECT *>(lParam) = ItemRect(index);
            return TRUE;
        }
        case LB_ITEMFROMPOINT: {
            int x = static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)));
            int y = static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)));
            RECT client = ItemArea();
            int h = ItemHeight();
            int i = top_ + (y >= 0 ? y / h : -1);
            bool outside = x < client.left || x >= client.right || y < client.top || y >= client.bottom ||
                           i < 0 || i >= count;
            i = std::clamp(i, 0, std::max(0, count - 1));
            return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(i), outside ? 1 : 0));
        }
        case LB_SETITEMHEIGHT:
            if (lParam <= 0 || lParam > 255)
                return LB_ERR;
            height_ = static_cast<int>(lParam);
            Layout();
            return 0;
        case LB_GETITEMHEIGHT:
            return ItemHeight();
        case LB_FINDSTRING:
            return Find(index, lParam, false);
        case LB_FINDSTRINGEXACT:
            return Find(index, lParam, true);
        case LB_SELECTSTRING: {
            int found = Find(index, lParam, false);
            if (found != LB_ERR && !Multiple())
                WndProc(LB_SETCURSEL, static_cast<WPARAM>(found), 0);
            return found;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            Click(static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam))), (wParam & MK_CONTROL) != 0);
            if (msg == WM_LBUTTONDBLCLK && (Style() & LBS_NOTIFY))
                Notify(LBN_DBLCLK);
            return 0;
        case WM_MOUSEWHEEL:
            SetTop(top_ - 3 * static_cast<int16_t>(HIWORD(static_cast<DWORD>(wParam))) / 120);
            return 0;
        case WM_KEYDOWN:
            Key(static_cast<WORD>(wParam));
            return 0;
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

private:
    bool OwnerDraw() const { return (Style() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (Style() & LBS_HASSTRINGS); }
    bool Multiple() const { return (Style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
    int Count() const { return static_cast<int>(items_.size()); }

    int ItemHeight()
    {
        if (height_ > 0)
            return height_;
        int h = FontLineHeight(ControlFont(font_));
        if (OwnerDraw()) {
            MEASUREITEMSTRUCT mis{ODT_LISTBOX, Id(), 0, 0, static_cast<UINT>(h), 0};
            RECT r = ItemArea();
            mis.itemWidth = static_cast<UINT>(r.right - r.left);
            if (HWND parent = Parent())
                SendMessageA(parent, WM_MEASUREITEM, Id(), reinterpret_cast<LPARAM>(&mis));
            h = std::max(1, static_cast<int>(mis.itemHeight));
            // The owner measures once it has items (its control object may
            // attach only after the list is made).
            if (items_.empty())
                return h;
        }
        height_ = std::max(1, h);
        return height_;
    }

    RECT ItemArea() const
    {
        RECT r{0, 0, 0, 0};
        GetClientRect(hwnd, &r);
        if (bar_ && !bar_->isHidden())
            r.right = std::max(r.left, r.right - kScrollBarWidth);
        return r;
    }

    int VisibleCount()
    {
        RECT r = ItemArea();
        return std::max(1, static_cast<int>(r.bottom - r.top) / ItemHeight());
    }

    RECT ItemRect(int index)
    {
        RECT area = ItemArea();
        int h = ItemHeight();
        int y = (index - top_) * h;
        return RECT{area.left, y, area.right, y + h};
    }

    void Layout()
    {
        if (!bar_ || !widget_)
            return;
        int count = Count();
        int visible = std::max(1, static_cast<int>(widget_->height()) / ItemHeight());
        bool show = (Style() & WS_VSCROLL) && count > visible;
        bar_->setVisible(show);
        bar_->setGeometry(widget_->width() - kScrollBarWidth, 0, kScrollBarWidth, widget_->height());
        bar_->setRange(0, std::max(0, count - visible));
        bar_->setPageStep(visible);
        SetTop(top_);
        Repaint();
    }

    void SetTop(int top)
    {
        int maxTop = std::max(0, Count() - VisibleCount());
        top_ = std::clamp(top, 0, maxTop);
        if (bar_ && bar_->value() != top_)
            bar_->setValue(top_);
        Repaint();
    }

    void EnsureVisible(int index)
    {
        if (index < top_)
            SetTop(index);
        else if (index >= top_ + VisibleCount())
            SetTop(index - VisibleCount() + 1);
    }

    int Compare(const ListItem &a, const ListItem &b, int indexA)
    {
        if (HasStrings())
            return GbkUpper(a.text).compare(GbkUpper(b.text));
        COMPAREITEMSTRUCT cis{ODT_LISTBOX, Id(), hwnd, static_cast<UINT>(indexA), a.data, static_cast<UINT>(-1),
                              b.data, 0};
        HWND parent = Parent();
        return parent ? static_cast<int>(SendMessageA(parent, WM_COMPAREITEM, Id(), reinterpret_cast<LPARAM>(&cis)))
                      : 0;
    }

    int Insert(int index, LPARAM value, bool sorted)
    {
        ListItem item;
        if (HasStrings())
            item.text = value ? reinterpret_cast<const char *>(value) : "";
        else
            item.data = static_cast<ULONG_PTR>(value);
        int count = Count();
        if (sorted) {
            index = 0;
            while (index < count && Compare(items_[static_cast<size_t>(index)], item, index) <= 0)
                ++index;
        } else if (index < 0 || index > count) {
            index = count;
        }
        items_.insert(items_.begin() + index, item);
        if (caret_ >= index)
            ++caret_;
        Layout();
        return index;
    }

    void DeleteItems(int first, int last)
    {
        HWND parent = Parent();
        for (int i = last - 1; i >= first; --i) {
            ListItem item = items_[static_cast<size_t>(i)];
            items_.erase(items_.begin() + i);
            if (item.data && parent) {
                DELETEITEMSTRUCT dis{ODT_LISTBOX, Id(), static_cast<UINT>(i), hwnd, item.data};
                SendMessageA(parent, WM_DELETEITEM, Id(), reinterpret_cast<LPARAM>(&dis));
            }
        }
        if (caret_ >= Count())
            caret_ = Count() - 1;
        if (first == 0 && Count() == 0) {
            caret_ = -1;
            top_ = 0;
        }
        Layout();
    }

    int Find(int start, LPARAM value, bool exact) const
    {
        int count = Count();
        if (!HasStrings()) {
            for (int step = 1; step <= count; ++step) {
                int i = ((start < 0 ? -1 : start) + step) % count;
                if (items_[static_cast<size_t>(i)].data == static_cast<ULONG_PTR>(value))
                    return i;
            }
            return LB_ERR;
        }
        std::string key = GbkUpper(value ? reinterpret_cast<const char *>(value) : "");
        for (int step = 1; step <= count; ++step) {
            int i = ((start < 0 ? -1 : start) + step) % count;
            std::string item = GbkUpper(items_[static_cast<size_t>(i)].text);
            if (exact ? item == key : item.compare(0, key.size(), key) == 0)
                return i;
        }
        return LB_ERR;
    }

    void Select(int index, bool toggle)
    {
        int count = Count();
        if (index < 0 || index >= count)
            return;
        std::vector<bool> before;
        for (const ListItem &item : items_)
            before.push_back(item.selected);
        if ((Style() & LBS_MULTIPLESEL) || ((Style() & LBS_EXTENDEDSEL) && toggle)) {
            items_[static_cast<size_t>(index)].selected = !items_[static_cast<size_t>(index)].selected;
        } else {
            for (int i = 0; i < count; ++i)
                items_[static_cast<size_t>(i)].selected = i == index;
        }
        caret_ = index;
        EnsureVisible(index);
        Repaint();
        bool changed = false;
        for (int i = 0; i < count; ++i)
            changed = changed || before[static_cast<size_t>(i)] != items_[static_cast<size_t>(i)].selected;
        if (changed && (Style() & LBS_NOTIFY))
            Notify(LBN_SELCHANGE);
    }

    void Click(int y, bool control)
    {
        if (widget_)
            widget_->setFocus(Qt::MouseFocusReason);
        if (y < 0)
            return;
        int index = top_ + y / ItemHeight();
        if (index < Count())
            Select(index, control);
    }

    void Key(WORD key)
    {
        int count = Count();
        if (count == 0)
            return;
        int page = VisibleCount();
        int target = caret_;
        switch (key) {
        case VK_UP:
            target = caret_ <= 0 ? 0 : caret_ - 1;
            break;
        case VK_DOWN:
            target = std::min(count - 1, caret_ + 1);
            break;
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = count - 1;
            break;
        case VK_PRIOR:
            target = std::max(0, caret_ - page);
            break;
        case VK_NEXT:
            target = std::min(count - 1, std::max(0, caret_) + page);
            break;
        case VK_SPACE:
            if (Multiple() && caret_ >= 0)
                Select(caret_, true);
            return;
        default:
            return;
        }
        if (Multiple()) {
            caret_ = target;
            EnsureVisible(target);
            Repaint();
        } else if (target != caret_ || !items_[static_cast<size_t>(target)].selected) {
            Select(target, false);
        }
    }

    void Paint()
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (!dc)
            return;
        RECT client{0, 0, 0, 0};
        GetClientRect(hwnd, &client);
        HGDIOBJ oldFont = SelectObject(dc, ControlFont(font_));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        HBRUSH brush = 0;
        HWND parent = Parent();
        if (parent)
            brush = static_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORLISTBOX, static_cast<WPARAM>(dc),
                                                     static_cast<LPARAM>(hwnd)));
        FillRect(dc, &client, brush ? brush : static_cast<HBRUSH>(COLOR_WINDOW + 1));
        COLORREF text = GetTextColor(dc);
        bool focused = widget_ && widget_->hasFocus();
        RECT area = ItemArea();
        for (int i = top_; i < Count(); ++i) {
            RECT r = ItemRect(i);
            if (r.top >= area.bottom)
                break;
            const ListItem &item = items_[static_cast<size_t>(i)];
            UINT state = (item.selected ? ODS_SELECTED : 0) | (focused && i == caret_ ? ODS_FOCUS : 0) |
                         (Style() & WS_DISABLED ? ODS_DISABLED : 0);
            if (OwnerDraw()) {
                DRAWITEMSTRUCT dis{ODT_LISTBOX, Id(), static_cast<UINT>(i), ODA_DRAWENTIRE, state, hwnd, dc, r, item.data};
                if (parent)
                    SendMessageA(parent, WM_DRAWITEM, Id(), reinterpret_cast<LPARAM>(&dis));
                continue;
            }
            if (item.selected) {
                FillRect(dc, &r, static_cast<HBRUSH>(COLOR_HIGHLIGHT + 1));
                SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            } else {
                SetTextColor(dc, text);
            }
            int oldMode = SetBkMode(dc, TRANSPARENT);
            RECT t = r;
            t.left += 2;
            DrawTextA(dc, item.text.c_str(), static_cast<int>(item.text.size()), &t,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SetBkMode(dc, oldMode);
        }
        SelectObject(dc, oldFont);
        EndPaint(hwnd, &ps);
    }

    std::vector<ListItem> items_;
    int caret_ = -1;
    int top_ = 0;
    int height_ = 0;
    QScrollBar *bar_ = nullptr;
};

} // namespace

void RegisterListBoxControl() { RegisterWidgetClass("ListBox", NativeControlProc<ListBoxControl>, CS_DBLCLKS); }

} // namespace win
