// Two small forms of the start-up: the new-version notice the request client's
// version check opens, and the About box with the build number of version.txt.
#pragma once

#include "platform/forms/TButton.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TProgressBar.h"
#include "platform/forms/TTimer.h"

// The new-version notice: 1 (mrOk) update now, 2 (mrCancel) later; left
// unanswered it closes itself after 15 timer ticks with 2.
class TNoticeForm : public win::TForm {
public:
    explicit TNoticeForm(win::TComponent *Owner);
    void Timer1Timer(win::TObject *Sender);

    win::TLabel *Label1, *Label2, *Label3, *Label4;
    win::TProgressBar *ProgressBar1;
    win::TButton *Button1; // 立即进行在线升级
    win::TButton *Button2; // 以后再说
    win::TTimer *Timer1;
};

// The About box.
class Trighrbox : public win::TForm {
public:
    explicit Trighrbox(win::TComponent *Owner);
    void FormCreate(win::TObject *Sender);

    win::TLabel *Label1, *Label2, *Label3;
    win::TLabel *BuildLabel; // the build number of .\version.txt
    // The number read at creation.
    long long BuildNumber = 0;
};

extern Trighrbox *Right;
