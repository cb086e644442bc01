// The framework's file dialog over the form library's: what it shows (its
// name, starting name and filter) and the path it hands back, through the
// common dialogs' recorder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "AppframeFixture.h"
#include "platform/appframe/CFileDialog.h"
#include "platform/forms/TCommonDialog.h"

using namespace win;

namespace {

TEST(FileDialogTest, SaveDialogShowsTheSuggestionAndHandsBackTheChoice)
{
    appframetest::EnsureGui();
    RecordDialogs(true);
    const std::string folder = std::filesystem::current_path().string() + "/file-dialog";
    std::filesystem::create_directories(folder);
    ScriptDialogAnswers({{.accepted = true, .fileName = (folder + "/帐单").c_str()}, {}});

    CFileDialog save(FALSE, "txt", "10000001_20251103.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     "文本文件 (*.txt)|*.txt|全部文件 (*.*)|*.*||");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(std::string(save.GetPathName()), folder + "/帐单.txt");
    ASSERT_EQ(ShownDialogs().size(), 1u);
    EXPECT_EQ(ShownDialogs()[0].className, AnsiString("CFileDialog"));
    EXPECT_EQ(ShownDialogs()[0].initial, AnsiString("10000001_20251103.txt"));
    EXPECT_EQ(ShownDialogs()[0].filter, AnsiString("文本文件 (*.txt)|*.txt|全部文件 (*.*)|*.*"));

    // Cancelled: the path stays the suggestion.
    CFileDialog cancelled(FALSE, "txt", "a.txt");
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetPathName(), "a.txt");
    RecordDialogs(false);
}

} // namespace
