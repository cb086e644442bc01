#include "lumon/shell/EditConsign.h"

#include <cstdio>

#include "lumon/shell/DealOptionForm.h"
#include "lumon/shell/OrderBridge.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

AnsiString ReadKey(const char *key, int slot)
{
    char name[32], value[1024];
    std::snprintf(name, sizeof name, "%s%d", key, slot);
    GetPrivateProfileStringA("CONSIGN", name, "", value, sizeof value, TradingIni);
    return value;
}

void WriteKey(const char *key, int slot, const char *value)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%d", key, slot);
    WritePrivateProfileStringA("CONSIGN", name, value, TradingIni);
}

} // namespace

TEditConsignDlg::TEditConsignDlg(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "下单程序", 300, 170);
    Position = poDesktopCenter;
    ListBox1 = Place<TListBox>(this, this, 12, 12, 180, 146);
    auto button = [this](int top, const char *caption) {
        auto *b = Place<TButton>(this, this, 208, top, 80, 24);
        b->Caption = caption;
        return b;
    };
    Button1 = button(12, "新建");
    Button2 = button(42, "编辑");
    Button4 = button(72, "删除");
    Button3 = button(104, "确定");
    Button3->ModalResult = mrOk;
    Button3->Default = true;
    Button5 = button(134, "取消");
    Button5->ModalResult = mrCancel;
    Button5->Cancel = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2->OnClick = [this](TObject *s) { Button2Click(s); };
    Button4->OnClick = [this](TObject *s) { Button4Click(s); };
    LoadList();
}

bool TEditConsignDlg::Used(int slot) const { return !Names[slot].IsEmpty() && !Programs[slot].IsEmpty(); }

void TEditConsignDlg::LoadList()
{
    ListBox1->Items->Clear();
    int listed = 0;
    for (int slot = 0; slot < OrderProgramSlots; ++slot) {
        Names[slot] = ReadKey("Name", slot);
        Programs[slot] = ReadKey("Exe", slot);
        if (Used(slot)) {
            ListBox1->Items->Add(Names[slot]);
            ListSlots[listed++] = slot;
        }
    }
    Button1->Enabled = listed < OrderProgramSlots;
}

void TEditConsignDlg::EditSlot(int slot, const char *name, const char *program)
{
    char saved[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    if (n == 0 || n >= sizeof saved) {
        MessageBoxA(Handle, "路径太深!  ", "提示", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    TDealOption entry(this);
    entry.NameEdit->Text = name;
    entry.ProgramEdit->Text = program;
    const int result = entry.ShowModal();
    SetCurrentDirectoryA(saved);
    if (result != mrOk)
        return;
    AnsiString newName = entry.NameEdit->Text, newProgram = entry.ProgramEdit->Text;
    if (newName.IsEmpty() || newProgram.IsEmpty())
        return;
    // A bare file name lies in the folder the editor started from; here a path
    // is whole when it starts at the root.
    if (newProgram.c_str()[0] != '/' && newProgram.c_str()[0] != '\\')
        newProgram = AnsiString(saved) + "\\" + newProgram;
    WriteKey("Name", slot, newName.c_str());
    WriteKey("Exe", slot, newProgram.c_str());
    LoadList();
    for (int i = 0; i < ListBox1->Items->Count(); ++i)
        if (ListSlots[i] == slot)
            ListBox1->ItemIndex = i;
    if (OnListChanged)
        OnListChanged();
}

void TEditConsignDlg::Button1Click(TObject *)
{
    for (int slot = 0; slot < OrderProgramSlots; ++slot)
        if (!Used(slot)) {
            char name[32];
            std::snprintf(name, sizeof name, "下单程序 %d", slot + 1);
            EditSlot(slot, name, "");
            return;
        }
}

void TEditConsignDlg::Button2Click(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (i < 0 || i >= ListBox1->Items->Count())
        return;
    const int slot = ListSlots[i];
    EditSlot(slot, Names[slot].c_str(), Programs[slot].c_str());
}

void TEditConsignDlg::Button4Click(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (i < 0 || i >= ListBox1->Items->Count())
        return;
    const int slot = ListSlots[i];
    const AnsiString text = AnsiString("删除下单程序 ") + Names[slot] + " ?  ";
    if (MessageBoxA(Handle, text.c_str(), "确认", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES)
        return;
    WriteKey("Name", slot, "");
    WriteKey("Exe", slot, "");
    LoadList();
    if (OnListChanged)
        OnListChanged();
}
