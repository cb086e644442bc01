#include "platform/forms/TAction.h"

#include "platform/forms/TActionList.h"

namespace win {

TAction::TAction(TComponent *Owner) : TComponent(Owner) {}

TAction::~TAction() { SetActionList(nullptr); }

void TAction::SetActionList(TActionList *list)
{
    if (list == list_)
        return;
    if (list_)
        list_->RemoveAction(this);
    list_ = list;
    if (list_)
        list_->AddAction(this);
}

bool TAction::Execute()
{
    if (!Enabled || !OnExecute)
        return false;
    OnExecute(this);
    return true;
}

} // namespace win
