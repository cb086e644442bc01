// The editor of the order programs in TRADING.INI: up to four slots of a name
// and a program; a slot is in use when it has both.
#pragma once

#include <functional>

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TListBox;
} // namespace win

constexpr int OrderProgramSlots = 4;

class TEditConsignDlg : public win::TForm {
public:
    explicit TEditConsignDlg(win::TComponent *Owner);

    // Reads the four slots and lists the names of those in use.
    void LoadList();
    void Button1Click(win::TObject *Sender);   // 新建
    void Button2Click(win::TObject *Sender);   // 编辑
    void Button4Click(win::TObject *Sender);   // 删除

    win::TListBox *ListBox1;
    win::TButton *Button1, *Button2, *Button4, *Button3, *Button5;
    win::AnsiString Names[OrderProgramSlots];
    win::AnsiString Programs[OrderProgramSlots];
    // The slot of each line of the list.
    int ListSlots[OrderProgramSlots] = {};
    // Called after each change of TRADING.INI: the frame rebuilds its trading menu.
    std::function<void()> OnListChanged;

private:
    bool Used(int slot) const;
    // Runs the entry dialog for the slot and writes it on OK.
    void EditSlot(int slot, const char *name, const char *program);
};
