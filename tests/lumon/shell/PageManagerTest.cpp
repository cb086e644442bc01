// The page table scanned from the page files and the page manager's answers.
#include <gtest/gtest.h>

#include <cstring>

#include "lumon/shell/PageFile.h"
#include "lumon/shell/PageManager.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "tests/lumon/shell/PageFixture.h"

using namespace pagetest;
using namespace win;

namespace {

std::string Page(int version, const char *name, int lengthSlip = 0)
{
    std::string body(20, '\0');
    std::string out;
    uint32_t length = uint32_t(body.size() + lengthSlip);
    if (version == 1) {
        out.assign(reinterpret_cast<const char *>(&length), 4);
    } else if (version == 2) {
        out = "lmpage02";
        out.append(reinterpret_cast<const char *>(&length), 4);
    } else {
        out = std::string("lmpage0") + char('0' + version) + std::string(64, '\0');
        std::memcpy(out.data() + 8, name, std::strlen(name));
        out.append(reinterpret_cast<const char *>(&length), 4);
    }
    return out + body;
}

class PageManagerTest : public PageTest {
protected:
    void Put(int n, const std::string &bytes)
    {
        WriteFile(root / "CFG" / ("lmpage" + std::to_string(n) + ".ppg"), bytes);
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> out;
        for (int i = 0; i < PageCount; ++i)
            out.push_back(std::string(PageTable[i].Name) + "@" + PageTable[i].Path);
        return out;
    }
};

TEST_F(PageManagerTest, TheTableListsPagesWithMatchingHeadersInFileOrder)
{
    Put(0, Page(3, "自选"));
    Put(2, Page(3, "错", 1));   // length off by one
    Put(3, Page(2, ""));
    Put(4, Page(1, ""));
    Put(5, Page(4, "四"));      // an unknown version
    Put(7, Page(3, "后面"));
    Put(8, "lm");              // four bytes or fewer
    Put(20, Page(3, "二十"));   // beyond the 20 files
    LoadPageList();
    EXPECT_EQ(Names(), (std::vector<std::string>{"自选@..\\Cfg\\lmpage0.ppg", "页面3@..\\Cfg\\lmpage3.ppg",
                                                 "页面4@..\\Cfg\\lmpage4.ppg", "后面@..\\Cfg\\lmpage7.ppg"}));
    // A 64-byte name without a NUL is cut to the field.
    Put(0, Page(3, std::string(64, 'n').c_str()));
    LoadPageList();
    EXPECT_EQ(std::strlen(PageTable[0].Name), 63u);
}

TEST_F(PageManagerTest, TheDialogAnswersNameAndPath)
{
    Put(1, Page(3, "甲"));
    Put(2, Page(3, "乙"));
    LoadPageList();
    struct Case {
        const char *what;
        const char *typed;
        int selected;
        std::vector<int> answers;
        int result;
        const char *path;
        const char *question;
    };
    const Case cases[] = {
        {"no name", "", -1, {}, mrNone, "", "请指定页面文件的名称.   "},
        {"a new page", "丙", -1, {}, mrOk, "", nullptr},
        {"an existing name typed, not chosen", "甲", -1, {}, mrOk, "", nullptr},
        {"the chosen page, overwritten", "甲", 0, {IDYES}, mrOk, "..\\Cfg\\lmpage1.ppg",
         "你选择了页面甲 , 确认继续删除或覆盖的操作吗？"},
        {"the chosen page, not overwritten", "甲", 0, {IDNO}, mrNone, "", nullptr},
        {"a new name into the chosen file", "丁", 1, {IDYES}, mrOk, "..\\Cfg\\lmpage2.ppg",
         "可在此选择是替换已有的页面, 还是另外创建新页面.\r\n点击 \" 是 \" 覆盖已有页面 乙 , 点击 \" 否 \" "
         "创建新页面文件.   "},
        {"a new name into a new file", "丁", 1, {IDNO}, mrOk, "", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RecordMessageBoxes(true);
        ScriptMessageBoxAnswers(c.answers);
        TPageMngr dialog(host);
        ASSERT_EQ(dialog.ListBox1->Items->Count(), 2);
        dialog.ListBox1->ItemIndex = c.selected;
        if (c.selected >= 0)
            dialog.ListBox1Click(&dialog);
        dialog.Edit1->Text = c.typed;
        dialog.Button1Click(&dialog);
        EXPECT_EQ(int(dialog.ModalResult), c.result);
        if (c.result == mrOk) {
            EXPECT_STREQ(dialog.Chosen.Name, c.typed);
            EXPECT_STREQ(dialog.Chosen.Path, c.path);
        }
        auto boxes = ShownMessageBoxes();
        if (c.question) {
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes[0].text, c.question);
        }
    }
}

} // namespace
