// The hot-key help: an always-on-top window listing the terminal's keys and what
// they do, which the space bar shows and takes away again.
#pragma once

#include "platform/forms/TButton.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TMemo.h"

class Thotkeydlg : public win::TForm {
public:
    explicit Thotkeydlg(win::TComponent *Owner);

    win::TMemo *Memo1; // the function keys
    win::TMemo *Memo2; // typing and the other keys
    win::TButton *Button1;
};

// The window the space bar shows, or null.
extern Thotkeydlg *HotKeyHelp;
