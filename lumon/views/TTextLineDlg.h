// The dialog that asks for the text of a text line once its anchor is placed;
// OK fills the line's text and its measured extent, Cancel or an empty text
// leaves both as they were.
#pragma once

#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"

class TTextLineDlg : public win::TForm {
public:
    // `text` and `extent` are where the line keeps its text and its size.
    TTextLineDlg(char **text, win::SIZE *extent);
    ~TTextLineDlg() override;

    void Button1Click(win::TObject *Sender);

    win::TEdit *Edit1;
    win::TButton *Button1;
    win::TButton *Button2;
    win::TButton *Button3;      // the font button, hidden

private:
    char **m_Text;
    win::SIZE *m_Extent;
};

// The dialog while it is shown, else null.
extern TTextLineDlg *TextLineDlg;
