// The action list: the actions of a form, found by index or by short cut; the
// form runs the action of a short cut typed in any of its controls.
#pragma once

#include <vector>

#include "platform/forms/TAction.h"

namespace win {

class TActionList : public TComponent {
public:
    explicit TActionList(TComponent *Owner);
    // The actions stay with their owner and leave the list.
    ~TActionList() override;
    AnsiString ClassName() const override { return "TActionList"; }

    int GetActionCount() const { return static_cast<int>(actions_.size()); }
    TAction *Actions(int index) const;
    ReadOnlyProperty<TActionList, int, &TActionList::GetActionCount> ActionCount{this};
    // Executes the enabled action of that short cut; false when there is none.
    bool IsShortCut(TShortCut shortCut);

    // Inside the library: actions join and leave (TAction::ActionList).
    void AddAction(TAction *action);
    void RemoveAction(TAction *action);

private:
    std::vector<TAction *> actions_;
};

} // namespace win
