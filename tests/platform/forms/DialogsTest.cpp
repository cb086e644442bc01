// Common dialogs answered through the recorder (colour, font, open, save and
// print: the values that reach the caller, cancel, the record of what was
// shown), and the folder chooser's chain of drive box, folder list, folder
// label, file list and mask edit over a folder tree with a Chinese name.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <cstdio>
#include <string>
#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TColorDialog.h"
#include "platform/forms/TDirectoryListBox.h"
#include "platform/forms/TDriveComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TFileListBox.h"
#include "platform/forms/TFontDialog.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TOpenDialog.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TSaveDialog.h"
#include "platform/forms/TSavePictureDialog.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;
using formstest::App;

namespace {

std::string CurrentDirectory()
{
    char buffer[4096];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

void MakeFile(const std::string &path, bool readOnly = false)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

std::vector<std::string> ItemsOf(TControlItems *items)
{
    std::vector<std::string> out;
    for (int i = 0; i < items->Count(); ++i)
        out.push_back(items->Strings(i).c_str());
    return out;
}

// Each test works in a folder of its own under the working folder and leaves
// the working folder (which dialogs and folder lists move) as it found it.
class DialogsTest : public formstest::ControlsOnForm {
protected:
    void SetUp() override
    {
        ControlsOnForm::SetUp();
        saved = CurrentDirectory();
        root = saved + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(MakeDirectoryPath(root.c_str()));
        RecordDialogs(true);
    }
    void TearDown() override
    {
        RecordDialogs(false);
        SetCurrentDirectoryA(saved.c_str());
        ControlsOnForm::TearDown();
    }
    std::string saved;
    std::string root;
};

TEST_F(DialogsTest, ScriptedAnswersReachTheCallerAndCancelChangesNothing)
{
    TFontStyles boldItalic = TFontStyles() << fsBold << fsItalic;
    ScriptDialogAnswers({
        {.accepted = true, .color = 0x123456},
        {.accepted = true, .fontName = "黑体", .fontHeight = 16, .fontStyle = boldItalic},
        {.accepted = false, .color = clWhite, .fontName = "楷体", .fontHeight = -30},
        {.accepted = true, .fileName = (root + "/报表").c_str(), .filterIndex = 2},
    });

    auto *colour = new TColorDialog(form);
    colour->Title = "选择颜色";
    colour->Color = clBtnFace;
    colour->Options << cdSolidColor << cdAnyColor;
    ASSERT_TRUE(colour->Execute());
    EXPECT_EQ(colour->Color, 0x123456);

    auto *font = new TFontDialog(form);
    font->Font->Name = "宋体";
    font->Font->Height = -12;
    font->Font->Color = clRed;
    ASSERT_TRUE(font->Execute());
    EXPECT_EQ(font->Font->Name, AnsiString("黑体"));
    EXPECT_EQ(font->Font->Height, -16);
    EXPECT_TRUE(font->Font->Style == boldItalic);
    EXPECT_EQ(font->Font->Color, clRed);

    // Cancelled: the font keeps everything the scripted answer would have changed.
    EXPECT_FALSE(font->Execute());
    EXPECT_EQ(font->Font->Name, AnsiString("黑体"));
    EXPECT_EQ(font->Font->Height, -16);

    auto *save = new TSaveDialog(form);
    save->Filter = "文本文件 (*.txt)|*.txt|全部文件 (*.*)|*.*||";
    save->DefaultExt = "txt";
    save->FileName = "旧.txt";
    save->Options << ofOverwritePrompt;
    ASSERT_TRUE(save->Execute());
    EXPECT_EQ(save->FileName, AnsiString((root + "/报表.txt").c_str()));
    EXPECT_EQ(save->FilterIndex, 2);
    EXPECT_EQ(CurrentDirectory(), root);

    // Past the script every dialog is cancelled and keeps its values.
    EXPECT_FALSE(colour->Execute());
    EXPECT_EQ(colour->Color, 0x123456);
    EXPECT_FALSE(save->Execute());
    EXPECT_EQ(save->FileName, AnsiString((root + "/报表.txt").c_str()));

    std::vector<ShownDialog> shown = ShownDialogs();
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[0].className, AnsiString("TColorDialog"));
    EXPECT_EQ(shown[0].title, AnsiString("选择颜色"));
    char preset[16];
    std::snprintf(preset, sizeof preset, "0x%06X", static_cast<unsigned>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(shown[0].initial, AnsiString(preset));
    EXPECT_EQ(shown[1].className, AnsiString("TFontDialog"));
    EXPECT_EQ(shown[1].initial, AnsiString("宋体"));
    EXPECT_EQ(shown[2].initial, AnsiString("黑体"));
    EXPECT_EQ(shown[3].className, AnsiString("TSaveDialog"));
    EXPECT_EQ(shown[3].initial, AnsiString("旧.txt"));
    EXPECT_EQ(shown[3].filter, AnsiString("文本文件 (*.txt)|*.txt|全部文件 (*.*)|*.*||"));
    EXPECT_EQ(shown[4].initial, AnsiString("0x123456"));
}

TEST_F(DialogsTest, OpenDialogChecksTheFileAndMovesTheWorkingFolder)
{
    std::string folder = root + "/程序";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    MakeFile(folder + "/trade.exe");
    struct Case {
        const char *name;
        std::string answer; // relative to root, Windows form allowed
        bool noChangeDir;
        bool accepted;
        std::string fileName; // afterwards, relative to root
        std::string workingFolder;
    };
    const std::vector<Case> cases = {
        {"existing file, Windows separators and case", "程序\\TRADE.EXE", false, true, "/程序/trade.exe", "/程序"},
        {"missing file refused", "程序\\none.exe", false, false, "/previous.exe", ""},
        {"no change of folder", "程序/trade.exe", true, true, "/程序/trade.exe", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetCurrentDirectoryA(root.c_str());
        auto *open = new TOpenDialog(form);
        open->Title = "选择交易程序";
        open->Filter = "执行程序|*.exe";
        open->FileName = (root + "/previous.exe").c_str();
        open->Options << ofFileMustExist;
        if (c.noChangeDir)
            open->Options << ofNoChangeDir;
        ScriptDialogAnswers({{.accepted = true, .fileName = c.answer.c_str()}});
        EXPECT_EQ(open->Execute(), c.accepted);
        EXPECT_EQ(open->FileName, AnsiString((root + c.fileName).c_str()));
        EXPECT_EQ(CurrentDirectory(), root + c.workingFolder);
        EXPECT_EQ(open->FilterIndex, 1);
        delete open;
    }
    ASSERT_FALSE(ShownDialogs().empty());
    EXPECT_EQ(ShownDialogs().back().className, AnsiString("TOpenDialog"));
    EXPECT_EQ(ShownDialogs().back().title, AnsiString("选择交易程序"));
}

TEST_F(DialogsTest, PictureAndPrintDialogs)
{
    auto *picture = new TSavePictureDialog(form);
    EXPECT_EQ(picture->DefaultExt, AnsiString("bmp"));
    ScriptDialogAnswers({{.accepted = true, .fileName = (root + "/画面").c_str()}, {.accepted = true}, {}});
    ASSERT_TRUE(picture->Execute());
    EXPECT_EQ(picture->FileName, AnsiString((root + "/画面.bmp").c_str()));
    EXPECT_EQ(ShownDialogs().back().filter, picture->Filter);

    auto *print = new TPrintDialog(form);
    EXPECT_TRUE(print->Execute());
    EXPECT_FALSE(print->Execute());
    EXPECT_EQ(ShownDialogs().back().className, AnsiString("TPrintDialog"));
}

TEST_F(DialogsTest, WithoutRecorderAndDisplayDialogsAreCancelledAndPrintingAccepted)
{
    RecordDialogs(false);
    ASSERT_FALSE(CanShowDialogs());
    auto *colour = new TColorDialog(form);
    colour->Color = clLime;
    EXPECT_FALSE(colour->Execute());
    EXPECT_EQ(colour->Color, clLime);
    auto *open = new TOpenDialog(form);
    open->FileName = "a.txt";
    EXPECT_FALSE(open->Execute());
    EXPECT_EQ(open->FileName, AnsiString("a.txt"));
    EXPECT_TRUE((new TPrintDialog(form))->Execute());
    EXPECT_TRUE(ShownDialogs().empty());
}

// The folder chooser: drive box → folder list → folder label and file list →
// mask edit, moved through a tree with a Chinese folder name.
TEST_F(DialogsTest, FolderListDrivesLabelAndFileList)
{
    const std::string data = root + "/数据";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((data + "/日线").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "/other").c_str(), nullptr));
    MakeFile(data + "/b.txt");
    MakeFile(data + "/A.TXT", true);
    MakeFile(data + "/行情.dat");
    MakeFile(data + "/.hidden");

    form->SetBounds(0, 0, 500, 400);
    auto *drive = Add<TDriveComboBox>();
    auto *dirs = Add<TDirectoryListBox>();
    dirs->SetBounds(0, 30, 200, 300);
    auto *label = Add<TLabel>();
    label->SetBounds(0, 0, 400, 16);
    auto *files = Add<TFileListBox>();
    files->SetBounds(210, 30, 200, 300);
    auto *mask = Add<TEdit>();
    mask->SetReadOnly(true);
    files->FileEdit = mask;
    drive->DirList = dirs;
    dirs->DirLabel = label;
    dirs->FileList = files;
    int changes = 0;
    dirs->OnChange = [&](TObject *sender) {
        EXPECT_EQ(sender, dirs);
        ++changes;
    };
    form->Show();

    EXPECT_EQ(drive->Items->Count(), 1);
    EXPECT_EQ(drive->Text, AnsiString("/"));
    EXPECT_EQ(mask->Text, AnsiString("*.*"));
    EXPECT_EQ(dirs->Directory, AnsiString(saved.c_str()));

    dirs->Directory = root.c_str();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(CurrentDirectory(), root);
    EXPECT_EQ(label->Caption, AnsiString(root.c_str()));
    EXPECT_EQ(files->Directory, AnsiString(root.c_str()));
    EXPECT_TRUE(files->Items->Count() == 0);
    // The lines: the root, the folders down to root, then its sub-folders.
    std::vector<std::string> lines = ItemsOf(dirs->Items);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "/");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()), (std::vector<std::string>{"other", "数据"}));
    int open = dirs->ItemIndex;
    EXPECT_EQ(dirs->GetItemPath(open), AnsiString(root.c_str()));

    // A double click on "数据" opens it.
    int line = static_cast<int>(lines.size()) - 1;
    dirs->ItemIndex = line;
    TRect r = dirs->ItemRect(line);
    LPARAM at = MAKELONG(static_cast<WORD>(r.Left + 5), static_cast<WORD>(r.Top + 3));
    dirs->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
    dirs->Perform(WM_LBUTTONUP, 0, at);
    dirs->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    dirs->Perform(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(dirs->Directory, AnsiString(data.c_str()));
    EXPECT_EQ(CurrentDirectory(), data);
    EXPECT_EQ(label->Caption, AnsiString(data.c_str()));
    EXPECT_EQ(ItemsOf(dirs->Items).back(), "日线");
    EXPECT_EQ(ItemsOf(files->Items), (std::vector<std::string>{"A.TXT", "b.txt", "行情.dat"}));

    // The mask (any letter case) and the file kinds narrow the list.
    files->Mask = "*.txt";
    EXPECT_EQ(mask->Text, AnsiString("*.txt"));
    EXPECT_EQ(ItemsOf(files->Items), (std::vector<std::string>{"A.TXT", "b.txt"}));
    files->FileType = TFileType() << ftNormal;
    EXPECT_EQ(ItemsOf(files->Items), (std::vector<std::string>{"b.txt"}));
    files->FileType = TFileType() << ftReadOnly << ftNormal;
    files->Mask = "*.*";

    // Enter on the line above the open folder goes up; a Windows-form path with
    // another letter case finds the folder; a path that is no folder changes nothing.
    dirs->ItemIndex = dirs->ItemIndex - 1;
    dirs->Perform(WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(dirs->Directory, AnsiString(root.c_str()));
    dirs->Directory = "数据\\..\\OTHER";
    EXPECT_EQ(dirs->Directory, AnsiString((root + "/other").c_str()));
    EXPECT_EQ(changes, 4);
    dirs->Directory = "missing";
    dirs->Directory = (data + "/b.txt").c_str();
    EXPECT_EQ(dirs->Directory, AnsiString((root + "/other").c_str()));
    EXPECT_EQ(changes, 4);

    // The label on screen shows the folder: it renders as a label made with that text.
    dirs->Directory = data.c_str();
    auto *reference = Add<TLabel>();
    reference->AutoSize = false;
    reference->SetBounds(0, 350, label->Width, label->Height);
    reference->Caption = data.c_str();
    label->AutoSize = false;
    label->SetBounds(0, 0, label->Width, label->Height);
    QImage shown = label->Widget()->grab().toImage();
    QImage expected = reference->Widget()->grab().toImage();
    EXPECT_EQ(shown, expected);
    reference->Caption = root.c_str();
    EXPECT_NE(shown, reference->Widget()->grab().toImage());
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ink += qGray(shown.pixel(x, y)) < 100;
    EXPECT_GT(ink, 20);
}

} // namespace
