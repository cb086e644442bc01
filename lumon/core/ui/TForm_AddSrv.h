// The small dialog that asks for a new data server: its address and name
// (both required), home page and telephone.
#pragma once

#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"

class TForm_AddSrv : public win::TForm {
public:
    explicit TForm_AddSrv(win::TComponent *Owner);

    win::TEdit *Edit_IP;
    win::TEdit *Edit_Co;
    win::TEdit *Edit_Web;
    win::TEdit *Edit_Tel;
    win::TButton *Button_OK;
    win::TButton *Button_Cancel;

private:
    void AddField(int top, const char *name, const char *example, win::TEdit *&edit, int maxLength);
};

// The dialog while it is shown, else null.
extern TForm_AddSrv *Form_AddSrv;
