#include "platform/forms/TPopupMenu.h"

#include <QMenu>
#include <QPointer>

namespace win {

struct PopupMenuPrivate {
    QPointer<QMenu> shown;
};

TPopupMenu::TPopupMenu(TComponent *Owner) : TMenu(Owner), priv_(std::make_unique<PopupMenuPrivate>()) {}

TPopupMenu::~TPopupMenu()
{
    if (priv_->shown)
        delete priv_->shown.data();
}

void TPopupMenu::Popup(int X, int Y)
{
    if (OnPopup)
        OnPopup(this);
    if (priv_->shown)
        delete priv_->shown.data();
    auto *menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    Items->FillQtMenu(menu);
    priv_->shown = menu;
    menu->popup(QPoint(X, Y));
}

void TPopupMenu::ItemsChanged()
{
    if (!priv_->shown || !priv_->shown->isVisible())
        return;
    priv_->shown->clear();
    Items->FillQtMenu(priv_->shown);
}

} // namespace win
