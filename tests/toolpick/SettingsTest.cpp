// The settings tool against a settings file: what it loads, what a save writes
// (only the edited keys change, and the terminal's loader reads them back), the
// confirmation flows of "应用" and "确定", and bad or missing input.
#include <gtest/gtest.h>

#include <cstring>

#include "ToolpickFixture.h"
#include "platform/forms/TApplication.h"
#include "platform/win/Registry.h"
#include "toolpick/DirDialog.h"

using namespace win;
using namespace tptest;

namespace {

const char *const AskColours = "修改\"颜色与字体\"配置?";
const char *const AskSystem = "修改\"系统参数\"配置?";
const char *const AskExit = "退出系统?";

DialogAnswer ColourAnswer(TColor colour)
{
    DialogAnswer a;
    a.accepted = true;
    a.color = colour;
    return a;
}

DialogAnswer FontAnswer(const char *face, int height, TFontStyles style)
{
    DialogAnswer a;
    a.accepted = true;
    a.fontName = face;
    a.fontHeight = height;
    a.fontStyle = style;
    return a;
}

using SettingsTest = ToolpickTest;

TEST_F(SettingsTest, LoadsTheParametersThemeNamesAndTheFirstTheme)
{
    WriteFixture();
    Open();
    EXPECT_EQ(form->CSpE_Sor->Value, 20);
    EXPECT_EQ(form->CSpE_Pag->Value, 7);
    EXPECT_EQ(form->CSpE_Ref->Value, 45);
    EXPECT_EQ(form->CSpE_Rat->Value, 40);
    EXPECT_EQ(form->CSpE_Rec->Value, 800);
    EXPECT_TRUE(form->RB_KLMode1->Checked);
    EXPECT_FALSE(form->RB_KLMode0->Checked);
    EXPECT_EQ(form->CSpE_ShRis->Value, 5);
    EXPECT_EQ(form->CSpE_SzDow->Value, 8);
    EXPECT_EQ(std::string(AnsiString(form->Edit_DatDir->Text).c_str()), "..\\data\\");
    ASSERT_EQ(form->ComboBox2->Items->Count(), 4);
    EXPECT_EQ(form->ComboBox2->Items->Strings(1), AnsiString("明亮白底"));
    EXPECT_TRUE(form->ComboBox2->Items->Strings(3).IsEmpty());
    EXPECT_EQ(form->ComboBox2->ItemIndex, 0);
    for (int i = 1; i <= 64; ++i)
        EXPECT_EQ(form->Colors[i - 1], FixtureColour(0, i)) << i;
    EXPECT_EQ(form->Fonts[0].Height, 10);
    EXPECT_EQ(form->Fonts[0].Bold, 1);
    EXPECT_STREQ(form->Fonts[2].Face, "黑体");
    EXPECT_FALSE(form->BitBtn_Apply->Enabled);
    EXPECT_EQ(form->Dirty[0] | form->Dirty[1], 0);
    // The chart tab is up: colour slot 01 and font slot 03 are selected.
    EXPECT_EQ(form->ComboBox_Col->ItemIndex, 0);
    EXPECT_EQ(form->ComboBox_Fon->ItemIndex, 2);
    EXPECT_EQ(form->Panel2->Color, FixtureColour(0, 1));
    EXPECT_EQ(AnsiString(form->Memo2->Font->Name), AnsiString("黑体"));

    form->ComboBox2->ItemIndex = 1;
    form->ComboBox2Change(form->ComboBox2);
    EXPECT_EQ(form->Colors[63], FixtureColour(1, 64));
    EXPECT_EQ(form->Panel2->Color, FixtureColour(1, 1));
}

TEST_F(SettingsTest, SavingWritesOnlyTheEditedKeysAndTheLoaderReadsThem)
{
    WriteFixture();
    Open();
    ScriptDialogAnswers({ColourAnswer(0x123456), FontAnswer("楷体", -15, TFontStyles() << fsBold << fsItalic)});
    form->ComboBox_Col->ItemIndex = 4;
    form->Panel2Click(form->Panel2);
    form->ComboBox_Fon->ItemIndex = 2;
    form->Memo2Click(form->Memo2);
    form->CSpE_Ref->Value = 90;
    form->Edit_DatDir->Text = "..\\data2\\";
    EXPECT_TRUE(form->BitBtn_Apply->Enabled);
    EXPECT_EQ(form->Dirty[0], 1);
    EXPECT_EQ(form->Dirty[1], 1);

    ScriptMessageBoxAnswers({IDYES, IDYES});
    form->BitBtn_ApplyClick(form->BitBtn_Apply);
    EXPECT_EQ(Questions(), (std::vector<std::string>{AskColours, AskSystem}));
    EXPECT_EQ(ShownMessageBoxes()[0].caption, "警告");
    EXPECT_EQ(ShownMessageBoxes()[0].buttons, UINT(MB_YESNO));
    EXPECT_EQ(ShownMessageBoxes()[0].owner, HWND(0));
    EXPECT_FALSE(form->BitBtn_Apply->Enabled);

    std::string expected = FixtureSettings();
    expected = WithValue(expected, "Color0", "Color05", std::to_string(0x123456));
    expected = WithValue(expected, "Font0", "Font03", "1,15,楷体");
    expected = WithValue(expected, "PARAMETER", "RefreshTime", "90");
    expected = WithValue(expected, "PATH", "DATAPATH", "..\\data2\\");
    EXPECT_EQ(ReadFile(SettingsFile()), expected);

    TUtilData util(2);
    EXPECT_STREQ(DataRoot, "..\\data2\\");
    util.LoadColors(0);
    util.LoadFonts(0);
    EXPECT_EQ(ColorTable[4], 0x123456);
    EXPECT_EQ(FontTable[2].Size, 15);
    EXPECT_EQ(FontTable[2].Style, 1);
    EXPECT_STREQ(FontTable[2].Face, "楷体");
}

TEST_F(SettingsTest, FontRecordsFollowTheDialogsChoice)
{
    WriteFixture();
    Open();
    struct Case {
        const char *face;
        int height;
        TFontStyles style;
        const char *stored;
    } cases[] = {
        {"宋体", -9, TFontStyles(), "0,09,宋体"},
        {"宋体", -12, TFontStyles() << fsBold, "1,12,宋体"},
        {"宋体", -12, TFontStyles() << fsBold << fsItalic, "1,12,宋体"},
        {"宋体", -12, TFontStyles() << fsItalic, "0,12,宋体"},
        {"宋体", -12, TFontStyles() << fsBold << fsUnderline, "0,12,宋体"},
        // Cut to the 14 bytes of the record, never inside a character.
        {"方正粗黑宋简体字库", -10, TFontStyles(), "0,10,方正粗黑宋简体"},
        {"ABCDEFGHIJKLMNOPQ", -10, TFontStyles(), "0,10,ABCDEFGHIJKLMN"},
    };
    for (const Case &c : cases) {
        ScriptDialogAnswers({FontAnswer(c.face, c.height, c.style)});
        form->ComboBox_Fon->ItemIndex = 5;
        form->Memo2Click(form->Memo2);
        EXPECT_EQ(std::string(FontRecordText(form->Fonts[5]).c_str()), c.stored) << c.stored;
    }
    TFontRecord negative{0, "宋体", -9};
    EXPECT_EQ(std::string(FontRecordText(negative).c_str()), "0,-9,宋体");

    // Accepting the dialog without a change keeps the record as it was.
    form->ComboBox_Fon->ItemIndex = 2;
    form->ComboBox_FonChange(form->ComboBox_Fon);
    TFontRecord before = form->Fonts[2];
    DialogAnswer same;
    same.accepted = true;
    same.fontStyle = form->Memo2->Font->Style;
    ScriptDialogAnswers({same});
    form->Memo2Click(form->Memo2);
    EXPECT_EQ(std::memcmp(&before, &form->Fonts[2], sizeof before), 0);
    // A cancelled dialog changes nothing and leaves the page clean.
    form->Dirty[0] = 0;
    ScriptDialogAnswers({});
    form->Memo2Click(form->Memo2);
    form->Panel2Click(form->Panel2);
    EXPECT_EQ(form->Dirty[0], 0);
}

TEST_F(SettingsTest, ApplyAndConfirmAskBeforeWriting)
{
    struct Case {
        const char *what;
        bool colours, system;
        std::vector<int> answers;
        std::vector<std::string> asked;
        int dirtyColours, dirtySystem;
    } cases[] = {
        {"colours refused", true, false, {IDNO}, {AskColours}, 1, 0},
        {"colours refused, system saved", true, true, {IDNO, IDYES}, {AskColours, AskSystem}, 1, 0},
        {"colours saved, system refused", true, true, {IDYES, IDNO}, {AskColours, AskSystem}, 0, 1},
        {"system only", false, true, {IDYES}, {AskSystem}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WriteFixture();
        delete form;
        form = nullptr;
        Open();
        RecordMessageBoxes(true);
        if (c.colours) {
            ScriptDialogAnswers({ColourAnswer(0x010203)});
            form->Panel2Click(form->Panel2);
        }
        if (c.system)
            form->CSpE_ShDow->Value = 33;
        ScriptMessageBoxAnswers(c.answers);
        form->BitBtn_ApplyClick(form->BitBtn_Apply);
        EXPECT_EQ(Questions(), c.asked);
        EXPECT_EQ(form->Dirty[0], c.dirtyColours);
        EXPECT_EQ(form->Dirty[1], c.dirtySystem);
        EXPECT_EQ(bool(form->BitBtn_Apply->Enabled), c.dirtyColours || c.dirtySystem);
        std::string file = ReadFile(SettingsFile());
        EXPECT_EQ(file.find("Color01=66051") != std::string::npos, c.colours && !c.dirtyColours);
        EXPECT_EQ(file.find("ShDown=33") != std::string::npos, c.system && !c.dirtySystem);
    }
}

TEST_F(SettingsTest, ConfirmAsksToApplyThenToExit)
{
    WriteFixture();
    Open();
    form->Show();
    // Nothing changed: only the exit question; No keeps the window.
    ScriptMessageBoxAnswers({IDNO});
    form->BitBtn_ConfirmClick(form->BitBtn_Confirm);
    EXPECT_EQ(Questions(), std::vector<std::string>{AskExit});
    EXPECT_TRUE(form->Visible);

    RecordMessageBoxes(true);
    form->CSpE_SzRis->Value = 12;
    ScriptMessageBoxAnswers({IDYES, IDYES});
    form->BitBtn_ConfirmClick(form->BitBtn_Confirm);
    EXPECT_EQ(Questions(), (std::vector<std::string>{AskSystem, AskExit}));
    EXPECT_FALSE(form->Visible);
    EXPECT_NE(ReadFile(SettingsFile()).find("SzRaise=12"), std::string::npos);
}

TEST_F(SettingsTest, CancelAndEscapeCloseWithoutAQuestion)
{
    WriteFixture();
    Open();
    form->Show();
    form->CSpE_SzRis->Value = 12;
    EXPECT_TRUE(form->BitBtn_Cancel->Cancel);
    form->BitBtn_CancelClick(form->BitBtn_Cancel);
    EXPECT_FALSE(form->Visible);
    EXPECT_TRUE(ShownMessageBoxes().empty());
    EXPECT_EQ(ReadFile(SettingsFile()), FixtureSettings());
}

TEST_F(SettingsTest, ASwitchedThemeIsWhatApplySaves)
{
    WriteFixture();
    Open();
    ScriptDialogAnswers({ColourAnswer(0x0000FF)});
    form->Panel2Click(form->Panel2);
    form->ComboBox2->ItemIndex = 1;
    form->ComboBox2Change(form->ComboBox2);
    EXPECT_EQ(form->Dirty[0], 1);
    ScriptMessageBoxAnswers({IDYES});
    form->BitBtn_ApplyClick(form->BitBtn_Apply);
    // Theme 1 is written back as it was read; theme 0 keeps its colour.
    EXPECT_EQ(ReadFile(SettingsFile()), FixtureSettings());
}

TEST_F(SettingsTest, AMissingFileGivesTheDefaultsAndIsCreatedByTheFirstSave)
{
    std::filesystem::create_directories(root / "CFG");
    Open();
    EXPECT_EQ(form->CSpE_Sor->Value, 30);
    EXPECT_EQ(form->CSpE_Pag->Value, 5);
    EXPECT_EQ(form->CSpE_Ref->Value, 60);
    EXPECT_EQ(form->CSpE_Rat->Value, 50);
    // The terminal's own number of days when none is set.
    EXPECT_EQ(form->CSpE_Rec->Value, 15000);
    EXPECT_TRUE(form->RB_KLMode0->Checked);
    EXPECT_EQ(form->CSpE_ShRis->Value, 10);
    EXPECT_EQ(std::string(AnsiString(form->Edit_DatDir->Text).c_str()), "..\\");
    EXPECT_EQ(form->ComboBox2->Items->Count(), 4);
    EXPECT_EQ(form->Fonts[0].Height, 11);
    EXPECT_STREQ(form->Fonts[0].Face, "宋体");
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));

    form->CSpE_Pag->Value = 6;
    ScriptMessageBoxAnswers({IDYES});
    form->BitBtn_ApplyClick(form->BitBtn_Apply);
    std::string file = ReadFile(SettingsFile());
    for (const char *line : {"DataPath=..\\\r\n", "PageTime=6\r\n", "MaxDataRecords=15000\r\n", "KLineMode=0\r\n",
                             "ShRaise=10\r\n", "SzDown=10\r\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
}

TEST_F(SettingsTest, BadValuesAreShownSoundAndNothingIsCut)
{
    std::string text = WithValue(FixtureSettings(), "PARAMETER", "MaxDataRecords", "0");
    std::string longDir = "..\\" + std::string(150, 'd') + "\\";
    text = WithValue(text, "PATH", "DATAPATH", longDir);
    text = WithValue(text, "Font0", "Font02", "0,12,很长很长很长的字体名称");
    WriteFile(SettingsFile(), text);
    Open();
    EXPECT_EQ(form->CSpE_Rec->Value, 15000);
    form->CSpE_Rec->Value = 0;
    EXPECT_EQ(form->CSpE_Rec->Value, 1);
    form->CSpE_Rec->Value = -5;
    EXPECT_EQ(form->CSpE_Rec->Value, 1);
    EXPECT_STREQ(form->Fonts[1].Face, "很长很长很长的");
    EXPECT_EQ(form->Fonts[1].Height, 12);

    ScriptMessageBoxAnswers({IDYES});
    form->BitBtn_ApplyClick(form->BitBtn_Apply);
    std::string file = ReadFile(SettingsFile());
    EXPECT_NE(file.find("MaxDataRecords=1\r\n"), std::string::npos);
    EXPECT_NE(file.find("DATAPATH=" + longDir + "\r\n"), std::string::npos);
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndKeepsThePageDirty)
{
    // The settings file's name is taken by a folder: nothing can be written.
    std::filesystem::create_directories(SettingsFile());
    Open();
    form->CSpE_Pag->Value = 6;
    ScriptMessageBoxAnswers({IDYES});
    form->BitBtn_ApplyClick(form->BitBtn_Apply);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "设置文件无法写入，修改没有保存。");
    EXPECT_EQ(boxes[1].icon, UINT(MB_ICONERROR));
    EXPECT_EQ(form->Dirty[1], 1);
    EXPECT_TRUE(form->BitBtn_Apply->Enabled);
}

TEST_F(SettingsTest, ReadsAndWritesTheFileTheLoaderReadsWhateverTheRegistrySays)
{
    // The registry names another installation with its own settings file.
    auto other = root.parent_path() / (root.filename().string() + "-other");
    WriteFile(other / "cfg" / "setting.ini", "[Color0]\r\nName=别处\r\n");
    std::string path = other.string() + "/";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(path.c_str()), DWORD(path.size() + 1));
    RegCloseKey(key);
    WriteFixture();
    Open();
    EXPECT_EQ(form->ComboBox2->Items->Strings(0), AnsiString("经典黑底"));
    ScriptDialogAnswers({ColourAnswer(0x0A0B0C)});
    form->Panel2Click(form->Panel2);
    ScriptMessageBoxAnswers({IDYES});
    form->BitBtn_ApplyClick(form->BitBtn_Apply);
    EXPECT_EQ(ReadFile(SettingsFile()), WithValue(FixtureSettings(), "Color0", "Color01", std::to_string(0x0A0B0C)));
    EXPECT_EQ(ReadFile(other / "cfg" / "setting.ini"), "[Color0]\r\nName=别处\r\n");
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>("..\\"), 4);
    RegCloseKey(key);
}

TEST_F(SettingsTest, TheBrowseButtonTakesTheChosenFolderAndKeepsTheWorkingFolder)
{
    WriteFixture();
    std::filesystem::create_directories(root / "mydata");
    Open();
    form->Show();
    char before[512] = {};
    GetCurrentDirectoryA(sizeof before, before);
    std::string chosen = (root / "mydata").string();
    TDirDialog *seen = nullptr;
    // Inside the dialog's modal loop: choose the folder and press OK.
    App().OnMessage = [&](MSG &msg, bool &handled) {
        if (msg.message != WM_APP + 77)
            return;
        handled = true;
        for (int i = 0; i < App().ComponentCount(); ++i)
            if (auto *d = dynamic_cast<TDirDialog *>(App().Components(i)))
                seen = d;
        if (!seen)
            return;
        seen->DirectoryListBox1->Directory = chosen.c_str();
        seen->Button1->Click();
    };
    PostMessageA(form->Handle, WM_APP + 77, 0, 0);
    form->Dirty[1] = 0;
    form->But_Brw2Click(form->But_Brw2);
    App().OnMessage = nullptr;
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(std::string(AnsiString(form->Edit_DatDir->Text).c_str()), chosen);
    EXPECT_EQ(form->Dirty[1], 1);
    char after[512] = {};
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, before);
}

TEST_F(SettingsTest, TheFolderDialogHasItsLayout)
{
    auto *dialog = new TDirDialog(&App());
    EXPECT_EQ(dialog->Caption, AnsiString("路径选择"));
    EXPECT_EQ(dialog->ClientWidth, 360);
    EXPECT_EQ(dialog->ClientHeight, 265);
    EXPECT_EQ(dialog->BorderStyle, bsDialog);
    EXPECT_TRUE(dialog->Button1->Default);
    EXPECT_EQ(dialog->Button1->ModalResult, mrOk);
    EXPECT_TRUE(dialog->Button2->Cancel);
    EXPECT_EQ(dialog->Edit1->Text, AnsiString("*.*"));
    EXPECT_EQ(dialog->DriveComboBox1->DirList, dialog->DirectoryListBox1);
    EXPECT_EQ(dialog->DirectoryListBox1->FileList, dialog->FileListBox1);
    delete dialog;
}

} // namespace
