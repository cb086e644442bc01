// The dialog in which the user moves news types between those shown and the
// others; the news view turns the result into the filter of NEWSTYPE.INI.
#pragma once

#include <cstdint>

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TLabel;
class TListBox;
} // namespace win

class TSelNewsTypes : public win::TForm {
public:
    explicit TSelNewsTypes(win::TComponent *Owner);

    void ListBox1DblClick(win::TObject *Sender);   // also "-->"
    void ListBox2DblClick(win::TObject *Sender);   // also "<--"

    win::TLabel *Label1, *Label2;
    win::TListBox *ListBox1;   // shown types
    win::TListBox *ListBox2;   // the other types
    win::TButton *Button1, *Button2, *Button3, *Button4;
    uint8_t Changed = 0;
    // The type id of each line of ListBox1 and ListBox2, in line order; 0 after.
    uint8_t SelectedIds[100] = {};
    uint8_t AvailableIds[100] = {};

private:
    // Moves the current line of `from` to the end of `to`.
    void MoveLine(win::TListBox *from, uint8_t *fromIds, win::TListBox *to, uint8_t *toIds);
};
