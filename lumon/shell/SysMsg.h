// The message window: the system messages (kind 'a', 97), the real-time
// messages (kind 'b', 98) or the notice (any other kind) from the files the
// data-server client writes, read-only.
#pragma once

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TMemo;
} // namespace win

class TSysMsgDlg : public win::TForm {
public:
    TSysMsgDlg(win::TComponent *Owner, int kind);

    win::TMemo *Memo1;
    win::TButton *Button1;
};
