#include "platform/forms/TActionList.h"

#include <algorithm>

namespace win {

TActionList::TActionList(TComponent *Owner) : TComponent(Owner) {}

TActionList::~TActionList()
{
    while (!actions_.empty())
        actions_.back()->SetActionList(nullptr);
}

TAction *TActionList::Actions(int index) const
{
    return index >= 0 && index < GetActionCount() ? actions_[static_cast<size_t>(index)] : nullptr;
}

bool TActionList::IsShortCut(TShortCut shortCut)
{
    if (shortCut == 0)
        return false;
    for (TAction *action : actions_)
        if (action->ShortCut == shortCut && action->Enabled) {
            action->Execute();
            return true;
        }
    return false;
}

void TActionList::AddAction(TAction *action)
{
    if (std::find(actions_.begin(), actions_.end(), action) == actions_.end())
        actions_.push_back(action);
}

void TActionList::RemoveAction(TAction *action)
{
    actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
}

} // namespace win
