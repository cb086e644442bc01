// An action of an action list: a command with a caption and a short cut whose
// OnExecute runs when it is executed (by the program or by its short cut).
#pragma once

#include "platform/forms/TMenuItem.h"

namespace win {

class TActionList;

class TAction : public TComponent {
public:
    explicit TAction(TComponent *Owner);
    // Leaves its action list.
    ~TAction() override;
    AnsiString ClassName() const override { return "TAction"; }

    TActionList *GetActionList() const { return list_; }
    // Moves the action into a list (null: out of any).
    void SetActionList(TActionList *list);
    // Runs OnExecute when the action is enabled and has one; true when it ran.
    virtual bool Execute();

    Property<TAction, TActionList *, &TAction::GetActionList, &TAction::SetActionList> ActionList{this};
    AnsiString Caption;
    TShortCut ShortCut = 0;
    bool Enabled = true;
    TNotifyEvent OnExecute;

private:
    TActionList *list_ = nullptr;
};

} // namespace win
