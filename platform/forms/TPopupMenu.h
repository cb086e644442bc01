// The popup menu: its items shown at a screen point by Popup (after OnPopup);
// a chosen item runs its Click.
#pragma once

#include <memory>

#include "platform/forms/TMenuItem.h"

namespace win {

struct PopupMenuPrivate;

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent *Owner);
    ~TPopupMenu() override;
    AnsiString ClassName() const override { return "TPopupMenu"; }

    // Shows the menu at the screen point without waiting for a choice.
    void Popup(int X, int Y);
    void ItemsChanged() override;

    TNotifyEvent OnPopup;
    // A right click on a control that names this menu shows it (else the program
    // calls Popup itself).
    bool AutoPopup = true;

private:
    std::unique_ptr<PopupMenuPrivate> priv_;
};

} // namespace win
