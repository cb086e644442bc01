#include "lumon/shell/PageManager.h"

#include <cstdio>
#include <cstring>

#include "lumon/shell/PageFile.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Stdio.h"

using namespace win;

CPageData PageTable[MaxPages];
int32_t PageCount = 0;

void LoadPageList()
{
    int count = 0;
    std::memset(PageTable, 0, sizeof PageTable);
    for (int n = 0; n < MaxPages; ++n) {
        char path[260];
        std::snprintf(path, sizeof path, "..\\Cfg\\lmpage%d.ppg", n);
        std::FILE *f = win::fopen(path, "rb");
        if (!f)
            continue;
        uint8_t head[PAGE_BODY_OFFSET] = {};
        size_t got = std::fread(head, 1, sizeof head, f);
        long size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
        std::fclose(f);
        char name[64] = {};
        int version = size > 4 ? ParsePageHeader(head, got, uint64_t(size), name) : 0;
        if (!version)
            continue;
        CPageData &entry = PageTable[count++];
        if (version == 3)
            std::memcpy(entry.Name, name, sizeof entry.Name);
        else
            std::snprintf(entry.Name, sizeof entry.Name, "页面%d", n);
        entry.Name[63] = 0;
        std::strcpy(entry.Path, path);
    }
    PageCount = count;
}

TPageMngr::TPageMngr(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "页面管理", 260, 250);
    Position = poDesktopCenter;
    AddLabel(this, this, 12, 10, "已存的页面:");
    ListBox1 = Place<TListBox>(this, this, 12, 28, 236, 130);
    AddLabel(this, this, 12, 170, "页面名称:");
    Edit1 = Place<TEdit>(this, this, 80, 166, 168, 22);
    Edit1->MaxLength = 10;
    Button1 = Place<TButton>(this, this, 60, 208, 80, 26);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button2 = Place<TButton>(this, this, 160, 208, 80, 26);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    for (int i = 0; i < PageCount && i < MaxPages; ++i)
        ListBox1->Items->Add(PageTable[i].Name);
    ListBox1->OnClick = [this](TObject *s) { ListBox1Click(s); };
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
}

void TPageMngr::ListBox1Click(TObject *)
{
    int i = ListBox1->ItemIndex;
    if (i < 0 || i >= PageCount)
        return;
    Edit1->Text = PageTable[i].Name;
    Edit1->SetFocus();
}

void TPageMngr::Button1Click(TObject *)
{
    AnsiString name = Edit1->Text;
    if (name.IsEmpty()) {
        MessageBoxA(0, "请指定页面文件的名称.   ", "未命名", MB_ICONEXCLAMATION | MB_TOPMOST);
        ModalResult = mrNone;
        Edit1->SetFocus();
        return;
    }
    std::memset(&Chosen, 0, sizeof Chosen);
    std::strncpy(Chosen.Name, name.c_str(), sizeof Chosen.Name - 1);
    int i = ListBox1->ItemIndex;
    if (i >= 0 && i < PageCount) {
        Selected = i;
        const CPageData &page = PageTable[i];
        char text[400];
        if (std::strcmp(page.Name, Chosen.Name) == 0) {
            std::snprintf(text, sizeof text, "你选择了页面%s , 确认继续删除或覆盖的操作吗？", page.Name);
            if (MessageBoxA(0, text, "确认", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES) {
                ModalResult = mrNone;
                Edit1->SetFocus();
                return;
            }
            Chosen = page;
        } else {
            std::snprintf(text, sizeof text,
                          "可在此选择是替换已有的页面, 还是另外创建新页面.\r\n点击 \" 是 \" 覆盖已有页面 %s , 点击 \" 否 \" "
                          "创建新页面文件.   ",
                          page.Name);
            if (MessageBoxA(0, text, "确认", MB_YESNO | MB_TOPMOST) == IDYES)
                std::memcpy(Chosen.Path, page.Path, sizeof Chosen.Path);
        }
    }
    ModalResult = mrOk;
}
