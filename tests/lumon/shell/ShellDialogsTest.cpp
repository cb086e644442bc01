// The order-program editor's TRADING.INI, the message window's missing files,
// the number and big-order dialogs, and the news types: the table of NEWSTYPE.INI
// and the dialog that moves types between shown and not shown.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lumon/shell/BigAmount.h"
#include "lumon/shell/DealOptionForm.h"
#include "lumon/shell/EditConsign.h"
#include "lumon/shell/InputNumber.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/NewsTypes.h"
#include "lumon/shell/SelNews.h"
#include "lumon/shell/SysMsg.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMemo.h"
#include "platform/forms/TOpenDialog.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TScreen.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"
#include "tests/lumon/shell/PageFixture.h"
#include "tests/support/FormOfWindow.h"
#include "tests/support/ModalScript.h"

using namespace pagetest;
using namespace win;
using testsupport::ModalScript;

namespace {

std::string Text(const AnsiString &s) { return s.c_str(); }

std::string Key(const char *key)
{
    char value[300];
    GetPrivateProfileStringA("CONSIGN", key, "<none>", value, sizeof value, "..\\CFG\\TRADING.INI");
    return value;
}

std::vector<std::string> Lines(TListBox *list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list->Items->Count(); ++i)
        out.push_back(Text(list->Items->Strings(i)));
    return out;
}

// Fills the entry dialog of each "交易设置" that shows in turn and presses 确定.
struct EntryScript {
    EntryScript(TComponent *host, std::string name, std::string program)
        : script_("交易设置", [this, host, name, program](HWND h) {
              if (auto *d = dynamic_cast<TDealOption *>(testsupport::FormOfWindow(h, {host}))) {
                  seen.push_back(Text(d->NameEdit->Text));
                  ++count;
                  d->NameEdit->Text = name.c_str();
                  d->ProgramEdit->Text = program.c_str();
                  d->Button2->Click();
              }
          })
    {
    }
    ModalScript script_;
    int count = 0;
    std::vector<std::string> seen;
};

class ShellDialogsTest : public PageTest {};

TEST_F(ShellDialogsTest, TheOrderProgramEditorWritesTradingIni)
{
    WriteFile(root / "CFG" / "TRADING.INI",
              "[CONSIGN]\r\nName0=期货\r\nExe0=/opt/consign.exe\r\nName2=空位\r\nExe2=\r\n");
    auto dialog = std::make_unique<TEditConsignDlg>(host);
    int rebuilt = 0;
    dialog->OnListChanged = [&] { ++rebuilt; };
    EXPECT_EQ(Lines(dialog->ListBox1), std::vector<std::string>{"期货"});
    EXPECT_TRUE(dialog->Button1->Enabled);

    // New: slot 1 is the first free one; a bare file name gets the current folder.
    {
        EntryScript entries(host, "券商", "broker.exe");
        dialog->Button1Click(dialog.get());
        ASSERT_EQ(entries.seen, std::vector<std::string>{"下单程序 2"});
    }
    EXPECT_EQ(Key("Name1"), "券商");
    EXPECT_EQ(Key("Exe1"), (root / "bin").string() + "\\broker.exe");
    EXPECT_EQ(dialog->ListBox1->ItemIndex, 1);
    // Slot 2 with a name but no program is free: the next new entry fills it.
    {
        EntryScript entries(host, "第三", "/abs/third");
        dialog->Button1Click(dialog.get());
    }
    EXPECT_EQ(Key("Name2"), "第三");
    EXPECT_EQ(Key("Exe2"), "/abs/third");
    // Edit the first entry.
    dialog->ListBox1->ItemIndex = 0;
    {
        EntryScript entries(host, "期货二", "/opt/other");
        dialog->Button2Click(dialog.get());
        ASSERT_EQ(entries.seen, std::vector<std::string>{"期货"});
    }
    EXPECT_EQ(Key("Name0"), "期货二");
    EXPECT_EQ(Key("Exe0"), "/opt/other");
    // A fourth fills the list: 新建 is disabled.
    {
        EntryScript entries(host, "四", "/x/four");
        dialog->Button1Click(dialog.get());
    }
    EXPECT_EQ(Lines(dialog->ListBox1), (std::vector<std::string>{"期货二", "券商", "第三", "四"}));
    EXPECT_FALSE(dialog->Button1->Enabled);
    // Delete, answered No and then Yes.
    dialog->ListBox1->ItemIndex = 1;
    ScriptMessageBoxAnswers({IDNO, IDYES});
    dialog->Button4Click(dialog.get());
    EXPECT_EQ(Key("Name1"), "券商");
    dialog->Button4Click(dialog.get());
    EXPECT_EQ(Key("Name1"), "");
    EXPECT_EQ(Key("Exe1"), "");
    EXPECT_EQ(ShownMessageBoxes().back().text, "删除下单程序 券商 ?  ");
    EXPECT_EQ(Lines(dialog->ListBox1), (std::vector<std::string>{"期货二", "第三", "四"}));
    EXPECT_TRUE(dialog->Button1->Enabled);
    EXPECT_EQ(rebuilt, 5);
}

TEST_F(ShellDialogsTest, TheEntryDialogWantsANameAndAProgramAndBrowsesForOne)
{
    TDealOption entry(host);
    struct Case {
        const char *name, *program, *box;
        int result;
    } cases[] = {{"", "a.exe", "请指定名称.  ", mrNone},
                 {"甲", "", "请指定下单程序.  ", mrNone},
                 {"甲", "a.exe", nullptr, mrOk}};
    for (const Case &c : cases) {
        RecordMessageBoxes(true);
        entry.ModalResult = mrNone;
        entry.NameEdit->Text = c.name;
        entry.ProgramEdit->Text = c.program;
        entry.Button2Click(&entry);
        EXPECT_EQ(int(entry.ModalResult), c.result);
        const auto boxes = ShownMessageBoxes();
        EXPECT_EQ(boxes.empty() ? std::string() : boxes[0].text, c.box ? c.box : "");
    }
    // 浏览: the chosen file goes into the program edit; the working folder stays.
    WriteFile(root / "order.exe", "x");
    RecordDialogs(true);
    ScriptDialogAnswers({DialogAnswer{true, (root / "order.exe").string().c_str()}});
    entry.Button1Click(&entry);
    const auto shown = ShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Text(shown[0].title), "选择交易程序");
    EXPECT_EQ(Text(shown[0].filter), "执行程序|*.exe");
    EXPECT_EQ(Text(entry.ProgramEdit->Text), (root / "order.exe").string());
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    EXPECT_EQ(std::string(folder), (root / "bin").string());
    RecordDialogs(false);
}

TEST_F(ShellDialogsTest, TheMessageWindowSaysWhichFileIsMissing)
{
    struct Case {
        int kind;
        const char *file;
        const char *missing;
    } cases[] = {{'a', "SYSMSG.TXT", "系统消息文件不存在!"}, {'b', "RTMSG.TXT", "及时消息文件不存在!"}, {'c', "notice.txt", ""}};
    for (const Case &c : cases) {
        TSysMsgDlg missing(host, c.kind);
        EXPECT_EQ(missing.Memo1->Lines->Count(), c.missing[0] ? 1 : 0);
        EXPECT_EQ(Text(missing.Memo1->Lines->Text()).find(c.missing), 0u);
        // The file the data-server client wrote in upper case is found.
        WriteFile(root / "bin" / c.file, "第一行\r\n第二行\r\n");
        TSysMsgDlg shown(host, c.kind);
        ASSERT_EQ(shown.Memo1->Lines->Count(), 2);
        EXPECT_EQ(Text(shown.Memo1->Lines->Strings(1)), "第二行");
    }
}

TEST_F(ShellDialogsTest, NumberAndBigOrderDialogs)
{
    struct Case {
        const char *text;
        bool ok;
        int value;
    } cases[] = {{"12", true, 12}, {" 7 ", true, 7}, {"0", false, 0},    {"-3", false, 0}, {"1.5", false, 0},
                 {"", false, 0},   {"abc", false, 0}, {"99999999999", false, 0}, {"+4", false, 0}};
    for (const Case &c : cases) {
        int v = -1;
        EXPECT_EQ(ParsePositiveWhole(c.text, v), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(v, c.value);
    }
    TInputNumberDlg number(host);
    EXPECT_EQ(Text(number.Caption), "任意天技术分析");
    EXPECT_EQ(int(number.FormStyle), int(fsStayOnTop));
    FrameBusy = 0;
    TBigAmount big(host);
    EXPECT_EQ(FrameBusy, 1);
    FrameBusy = 0;
    EXPECT_EQ(big.CSpinEdit1->Increment, 1);
    big.RadioButton2->Checked = true;
    EXPECT_EQ(big.CSpinEdit1->Increment, 5);
    big.CSpinEdit1->Value = 5000;
    EXPECT_EQ(big.CSpinEdit1->Value, 1000);
}

const char *const NewsIni = "[NEWSTYPE]\r\nFilter=5,0,0,-2147483648\r\nID1=要闻\r\nID2=公司\r\nID3=期货\r\nID4=\r\n"
                            "ID100=其他\r\nID1_BRANCH1=宏观,央行,利率\r\nID1_BRANCH2=T,K1,,K2\r\n"
                            "ID1_BRANCH3=单字,a\r\nID1_BRANCH4=无词\r\nID1_BRANCH5=后面,x\r\n"
                            "ID3_BRANCH2=跳过,y\r\n";

TEST_F(ShellDialogsTest, TheNewsTypeTableHoldsEnabledNamedTypesAndTheirBranches)
{
    WriteFile(root / "CFG" / "NEWSTYPE.INI", NewsIni);
    LoadNewsTypes();
    // Type 1 and 3 are enabled (5); bit 127 names type 128, and type 100 never
    // has a record.
    ASSERT_EQ(NewsTypeTable.size(), 2u);
    const NewsTypeRecord &first = NewsTypeTable[0];
    EXPECT_EQ(first.Id, 1);
    EXPECT_EQ(first.Name, "要闻");
    ASSERT_EQ(first.Branches.size(), 3u); // BRANCH4 has no keyword and ends the list
    EXPECT_EQ(first.Branches[0].Title, " 宏观 ");
    EXPECT_EQ(first.Branches[0].Keywords, (std::vector<std::string>{"央行", "利率"}));
    EXPECT_EQ(first.Branches[1].Title, " T ");
    EXPECT_EQ(first.Branches[1].Keywords, std::vector<std::string>{"K1"});
    EXPECT_EQ(first.Branches[2].Keywords, std::vector<std::string>{"a"});
    EXPECT_EQ(NewsTypeTable[1].Id, 3);
    EXPECT_TRUE(NewsTypeTable[1].Branches.empty()); // BRANCH1 missing: BRANCH2 is not read

    // Bad filters and long names: defined results.
    struct Case {
        const char *filter;
        std::vector<int> ids;
    } cases[] = {{"abc", {}}, {"1,x,3", {1}}, {"-1,-1,-1,-1", {1, 2, 3}}, {"99999999999,0,0,0", {1, 2, 3}},
                 {"", {}},    {"6", {2, 3}}};
    for (const Case &c : cases) {
        WritePrivateProfileStringA("NEWSTYPE", "Filter", c.filter, "..\\CFG\\NEWSTYPE.INI");
        LoadNewsTypes();
        std::vector<int> ids;
        for (const auto &r : NewsTypeTable)
            ids.push_back(r.Id);
        EXPECT_EQ(ids, c.ids) << c.filter;
    }
    WritePrivateProfileStringA("NEWSTYPE", "ID2", std::string(400, 'n').c_str(), "..\\CFG\\NEWSTYPE.INI");
    LoadNewsTypes();
    ASSERT_EQ(NewsTypeTable.size(), 2u); // filter 6: types 2 and 3
    EXPECT_EQ(NewsTypeTable[0].Name.size(), 254u);
    NewsTypeRecord r;
    EXPECT_FALSE(LoadNewsType(r, 100));
    EXPECT_FALSE(LoadNewsType(r, 0));
}

TEST_F(ShellDialogsTest, TheTypeDialogMovesTypesAndCancelLeavesTheFileAlone)
{
    WriteFile(root / "CFG" / "NEWSTYPE.INI", NewsIni);
    const std::string before = ReadFile(root / "CFG" / "NEWSTYPE.INI");
    auto dialog = std::make_unique<TSelNewsTypes>(host);
    EXPECT_EQ(Lines(dialog->ListBox1), (std::vector<std::string>{"要闻", "期货"}));
    EXPECT_EQ(Lines(dialog->ListBox2), (std::vector<std::string>{"公司", "其他"}));
    EXPECT_EQ(dialog->SelectedIds[0], 1);
    EXPECT_EQ(dialog->SelectedIds[1], 3);
    EXPECT_EQ(dialog->AvailableIds[1], 100);
    EXPECT_EQ(dialog->Changed, 0);
    // 期货 out and back in: the lists are as before, the flag is set.
    dialog->ListBox1->ItemIndex = 1;
    dialog->Button2->Click();
    EXPECT_EQ(Lines(dialog->ListBox2), (std::vector<std::string>{"公司", "其他", "期货"}));
    EXPECT_EQ(dialog->ListBox1->ItemIndex, 0);
    dialog->ListBox2->ItemIndex = 2;
    dialog->ListBox2DblClick(dialog.get());
    EXPECT_EQ(Lines(dialog->ListBox1), (std::vector<std::string>{"要闻", "期货"}));
    EXPECT_EQ(dialog->SelectedIds[1], 3);
    EXPECT_EQ(dialog->SelectedIds[2], 0);
    EXPECT_EQ(dialog->Changed, 1);
    // Emptying a list, then a move from the empty list does nothing.
    dialog->ListBox1->ItemIndex = 0;
    dialog->ListBox1DblClick(dialog.get());
    dialog->ListBox1DblClick(dialog.get());
    dialog->ListBox1DblClick(dialog.get());
    EXPECT_TRUE(Lines(dialog->ListBox1).empty());
    EXPECT_EQ(dialog->SelectedIds[0], 0);
    EXPECT_EQ(dialog->ListBox2->Items->Count(), 4);
    ModalScript cancel("选择新闻类型", [](HWND h) { PostMessageA(h, WM_CLOSE, 0, 0); });
    EXPECT_EQ(dialog->ShowModal(), int(mrCancel));
    EXPECT_EQ(ReadFile(root / "CFG" / "NEWSTYPE.INI"), before);
}

} // namespace
