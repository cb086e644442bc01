// The dialog push button: its Kind gives the usual dialog buttons their modal
// result and their default or cancel role.
#pragma once

#include "platform/forms/TButton.h"

namespace win {

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent *Owner);
    AnsiString ClassName() const override { return "TBitBtn"; }

    TBitBtnKind GetKind() const { return kind_; }
    // bkOK and bkYes become the default button, bkCancel and bkNo the cancel
    // button; every kind but bkCustom, bkHelp and bkClose sets its modal result.
    void SetKind(TBitBtnKind kind);
    Property<TBitBtn, TBitBtnKind, &TBitBtn::GetKind, &TBitBtn::SetKind> Kind{this};

private:
    TBitBtnKind kind_ = bkCustom;
};

} // namespace win
