#include "platform/forms/TBitBtn.h"

namespace win {

TBitBtn::TBitBtn(TComponent *Owner) : TButton(Owner) {}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    kind_ = kind;
    Default = kind == bkOK || kind == bkYes;
    Cancel = kind == bkCancel || kind == bkNo;
    switch (kind) {
    case bkOK: ModalResult = mrOk; break;
    case bkCancel: ModalResult = mrCancel; break;
    case bkYes: ModalResult = mrYes; break;
    case bkNo: ModalResult = mrNo; break;
    case bkAbort: ModalResult = mrAbort; break;
    case bkRetry: ModalResult = mrRetry; break;
    case bkIgnore: ModalResult = mrIgnore; break;
    default: ModalResult = mrNone; break;
    }
}

} // namespace win
