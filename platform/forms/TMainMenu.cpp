#include "platform/forms/TMainMenu.h"

#include "platform/forms/TForm.h"

namespace win {

TMainMenu::TMainMenu(TComponent *Owner) : TMenu(Owner) {}

TMainMenu::~TMainMenu()
{
    if (form_)
        form_->SetMenu(nullptr);
}

void TMainMenu::ItemsChanged()
{
    if (form_)
        form_->MenuChanged();
}

} // namespace win
