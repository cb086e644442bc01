// A menu item: caption (with '&' for the accelerator), Tag, checked and radio
// state with a group, visible and enabled, a short cut, OnClick, and the items
// below it, added, inserted and deleted at run time.
#pragma once

#include <vector>

#include "platform/forms/FormTypes.h"
#include "platform/forms/TComponent.h"
#include "platform/gdi/Property.h"

class QMenu;

namespace win {

// A key with its shift state, as menus keep short cuts.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(WORD Key, TShiftState Shift);

class TMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent *Owner);
    // Leaves its parent item; the items below it are freed with their owner.
    ~TMenuItem() override;
    AnsiString ClassName() const override { return "TMenuItem"; }

    AnsiString GetCaption() const { return caption_; }
    void SetCaption(AnsiString caption);
    bool GetChecked() const { return checked_; }
    // Checking a radio item unchecks the other radio items of its group.
    void SetChecked(bool checked);
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool GetVisible() const { return visible_; }
    void SetVisible(bool visible);
    bool GetRadioItem() const { return radioItem_; }
    void SetRadioItem(bool radio);
    int GetGroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int group);
    TShortCut GetShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);

    Property<TMenuItem, AnsiString, &TMenuItem::GetCaption, &TMenuItem::SetCaption> Caption{this};
    Property<TMenuItem, bool, &TMenuItem::GetChecked, &TMenuItem::SetChecked> Checked{this};
    Property<TMenuItem, bool, &TMenuItem::GetEnabled, &TMenuItem::SetEnabled> Enabled{this};
    Property<TMenuItem, bool, &TMenuItem::GetVisible, &TMenuItem::SetVisible> Visible{this};
    Property<TMenuItem, bool, &TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem> RadioItem{this};
    Property<TMenuItem, int, &TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex> GroupIndex{this};
    Property<TMenuItem, TShortCut, &TMenuItem::GetShortCut, &TMenuItem::SetShortCut> ShortCut{this};
    // A click checks the item first (a radio item: the one of its group).
    bool AutoCheck = false;
    TNotifyEvent OnClick;

    int GetCount() const { return static_cast<int>(items_.size()); }
    TMenuItem *GetItem(int index) const;
    ReadOnlyProperty<TMenuItem, int, &TMenuItem::GetCount> Count{this};
    // `item->Items[i]`: the item below at that index, or null.
    class ItemTable {
    public:
        explicit ItemTable(const TMenuItem *item) : item_(item) {}
        TMenuItem *operator[](int index) const { return item_->GetItem(index); }

    private:
        const TMenuItem *item_;
    };
    ItemTable Items{this};
    TMenuItem *GetParent() const { return parent_; }

    void Add(TMenuItem *item);
    // Inserts before `index` (Count appends); an index out of range appends.
    void Insert(int index, TMenuItem *item);
    // Takes the item at `index` out of this one without freeing it.
    void Delete(int index);
    void Remove(TMenuItem *item);
    int IndexOf(const TMenuItem *item) const;
    // Frees every item below this one.
    void Clear();
    virtual void Click();

    // Inside the library: the menu that shows this tree of items, and the Qt menu
    // of this item's items. A submenu opening runs its item's Click first (the
    // handler may change the items) and then shows the items as they are.
    void SetMenu(TMenu *menu) { menu_ = menu; }
    void FillQtMenu(QMenu *menu);
    void OpenQtMenu(QMenu *menu);

private:
    void Changed();

    AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    TShortCut shortCut_ = 0;
    TMenuItem *parent_ = nullptr;
    TMenu *menu_ = nullptr;
    std::vector<TMenuItem *> items_;
};

// The base of main and popup menus: the root of their items.
class TMenu : public TComponent {
public:
    explicit TMenu(TComponent *Owner);
    ~TMenu() override;
    AnsiString ClassName() const override { return "TMenu"; }

    TMenuItem *const Items;
    // The item of a short cut (visible and enabled, searched depth first), or null.
    TMenuItem *FindShortCut(TShortCut shortCut) const;

    // Inside the library: the items changed.
    virtual void ItemsChanged() {}
};

// Inside the library: a menu command chosen in a Qt menu runs its item's click
// inside that menu's own event handling. A click that opens a modal box runs
// the event loop there, in which the menu bar may be rebuilt: the menus it drops
// are kept until the outermost command has returned, so that the menu whose
// event is being handled is not deleted under it.
void RunMenuCommand(TMenuItem *item);
// Drops a Qt menu of a menu bar or of a popup menu (deleted later; kept while a
// menu command runs).
void RetireQtMenu(QMenu *menu);

} // namespace win
