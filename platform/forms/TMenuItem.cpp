#include "platform/forms/TMenuItem.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <map>

#include "platform/forms/WindowHost.h"

namespace win {

TShortCut ShortCut(WORD Key, TShiftState Shift)
{
    TShortCut result = Key & 0xFF;
    if (Shift.Contains(ssShift))
        result |= scShift;
    if (Shift.Contains(ssCtrl))
        result |= scCtrl;
    if (Shift.Contains(ssAlt))
        result |= scAlt;
    return result;
}

namespace {

QKeySequence QtShortCut(TShortCut shortCut)
{
    int key = QtKeyOf(static_cast<WORD>(shortCut & 0xFF));
    if (!key)
        return QKeySequence();
    int mods = 0;
    if (shortCut & scShift)
        mods |= Qt::SHIFT;
    if (shortCut & scCtrl)
        mods |= Qt::CTRL;
    if (shortCut & scAlt)
        mods |= Qt::ALT;
    return QKeySequence(key | mods);
}

TMenuItem *FindIn(TMenuItem *item, TShortCut shortCut)
{
    for (int i = 0; i < item->GetCount(); ++i) {
        TMenuItem *child = item->GetItem(i);
        if (!child->GetVisible() || !child->GetEnabled())
            continue;
        if (child->GetShortCut() == shortCut)
            return child;
        if (TMenuItem *found = FindIn(child, shortCut))
            return found;
    }
    return nullptr;
}

} // namespace

TMenuItem::TMenuItem(TComponent *Owner) : TComponent(Owner) {}

TMenuItem::~TMenuItem()
{
    for (TMenuItem *item : items_)
        item->parent_ = nullptr;
    if (parent_)
        parent_->Remove(this);
}

void TMenuItem::Changed()
{
    const TMenuItem *root = this;
    while (root->parent_)
        root = root->parent_;
    if (root->menu_)
        root->menu_->ItemsChanged();
}

void TMenuItem::SetCaption(AnsiString caption)
{
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    if (checked && radioItem_ && parent_)
        for (TMenuItem *sibling : parent_->items_)
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
                sibling->checked_ = false;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible)
{
    visible_ = visible;
    Changed();
}

void TMenuItem::SetRadioItem(bool radio)
{
    radioItem_ = radio;
    Changed();
}

void TMenuItem::SetGroupIndex(int group)
{
    groupIndex_ = group;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut shortCut)
{
    shortCut_ = shortCut;
    Changed();
}

TMenuItem *TMenuItem::GetItem(int index) const
{
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)] : nullptr;
}

void TMenuItem::Add(TMenuItem *item) { Insert(GetCount(), item); }

void TMenuItem::Insert(int index, TMenuItem *item)
{
    if (!item || item == this)
        return;
    if (item->parent_)
        item->parent_->Remove(item);
    if (index < 0 || index > GetCount())
        index = GetCount();
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Changed();
}

void TMenuItem::Delete(int index)
{
    TMenuItem *item = GetItem(index);
    if (!item)
        return;
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Remove(TMenuItem *item) { Delete(IndexOf(item)); }

int TMenuItem::IndexOf(const TMenuItem *item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Clear()
{
    while (!items_.empty())
        delete items_.back();
    Changed();
}

void TMenuItem::Click()
{
    if (AutoCheck)
        SetChecked(radioItem_ ? true : !checked_);
    // A handler may rebuild the menu that holds this item, deleting it: the
    // handler runs from a copy, so nothing of the item is used once it starts.
    if (OnClick) {
        const auto handler = OnClick;
        handler(this);
    }
}

void TMenuItem::FillQtMenu(QMenu *menu)
{
    std::map<int, QActionGroup *> groups;
    for (TMenuItem *item : items_) {
        if (!item->visible_)
            continue;
        std::string caption = item->caption_.c_str();
        if (caption == "-") {
            menu->addSeparator();
            continue;
        }
        QAction *action = nullptr;
        if (item->GetCount() > 0) {
            QMenu *sub = menu->addMenu(QtText(caption));
            item->FillQtMenu(sub);
            QObject::connect(sub, &QMenu::aboutToShow, sub, [item, sub] { item->OpenQtMenu(sub); });
            action = sub->menuAction();
        } else {
            action = menu->addAction(QtText(caption));
            QObject::connect(action, &QAction::triggered, menu, [item] { RunMenuCommand(item); });
        }
        action->setEnabled(item->enabled_);
        // The short cut is shown here; the form dispatches it from its key
        // handling, so that it also works while the menu is closed.
        action->setShortcut(QtShortCut(item->shortCut_));
        action->setShortcutContext(Qt::WidgetShortcut);
        if (item->checked_ || item->radioItem_) {
            action->setCheckable(true);
            action->setChecked(item->checked_);
        }
        if (item->radioItem_) {
            QActionGroup *&group = groups[item->groupIndex_];
            if (!group)
                group = new QActionGroup(menu);
            group->addAction(action);
        }
    }
}

namespace {

int menuCommandDepth = 0;
std::vector<QPointer<QMenu>> retiredMenus;

} // namespace

void RunMenuCommand(TMenuItem *item)
{
    ++menuCommandDepth;
    item->Click();
    if (--menuCommandDepth > 0)
        return;
    // Posted from the loop that handles the menu's event: deleted once that
    // event has been handled.
    std::vector<QPointer<QMenu>> retired;
    retired.swap(retiredMenus);
    for (const QPointer<QMenu> &menu : retired)
        if (menu)
            menu->deleteLater();
}

void RetireQtMenu(QMenu *menu)
{
    if (menuCommandDepth == 0) {
        menu->deleteLater();
        return;
    }
    menu->hide();
    retiredMenus.emplace_back(menu);
}

void TMenuItem::OpenQtMenu(QMenu *menu)
{
    Click();
    for (QMenu *sub : menu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly))
        sub->deleteLater();
    menu->clear();
    FillQtMenu(menu);
}

TMenu::TMenu(TComponent *Owner) : TComponent(Owner), Items(new TMenuItem(nullptr)) { Items->SetMenu(this); }

TMenu::~TMenu()
{
    Items->SetMenu(nullptr);
    delete Items;
}

TMenuItem *TMenu::FindShortCut(TShortCut shortCut) const { return shortCut ? FindIn(Items, shortCut) : nullptr; }

} // namespace win
