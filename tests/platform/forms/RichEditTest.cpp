// The rich edit: rich text written and read back, rich text of other programs,
// plain-text fallback, saving as rich or plain text, selection and copying,
// printing to a PDF, and a posted Page Down scrolling the text.
#include <gtest/gtest.h>

#include <QDir>
#include <QScrollBar>
#include <QTextEdit>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FormsFixture.h"
#include "platform/forms/RtfText.h"
#include "platform/forms/TRichEdit.h"
#include "platform/gdi/TClipboard.h"
#include "platform/win/Messages.h"
#include "platform/win/Text.h"

using namespace win;
using formstest::PumpUntil;

namespace {

std::string Str(const AnsiString &s) { return std::string(s.c_str(), size_t(s.Length())); }

std::vector<std::string> LinesOf(const TControlItems &items)
{
    std::vector<std::string> out;
    for (int i = 0; i < items.Count(); ++i)
        out.push_back(Str(items.Strings(i)));
    return out;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    TStringList list;
    list.SetText(AnsiString(text.data(), int(text.size())));
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(Str(list.Strings(i)));
    return out;
}

std::string ReadText(const std::string &rtf)
{
    std::string text;
    EXPECT_TRUE(ReadRtf(rtf, text)) << rtf;
    return text;
}

void WriteBytes(const char *path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string FileBytes(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// GBK text whose double-byte characters end in the bytes \, { and }.
const std::string kTrailBytes = "a\x81\x5c" "b\x95\x7b\x95\x7d";

TEST(RtfText, GbkLinesSurviveWriterAndReader)
{
    const std::vector<std::vector<std::string>> cases = {
        {"新闻标题：上证指数收于３０００点", "", "  两个空格", "123 数字开头"},
        {"\tTab{brace}\\back slash", kTrailBytes, ""},
        {""},
        {},
    };
    RtfFont font{"宋体", 12, 0x030201};
    for (const auto &lines : cases) {
        TStringList list;
        for (const auto &line : lines)
            list.Add(AnsiString(line.data(), int(line.size())));
        std::string rtf = WriteRtf(list, font);
        EXPECT_EQ(SplitLines(ReadText(rtf)), lines) << rtf;
    }
    TStringList one;
    one.Add("新");
    one.Add(AnsiString(kTrailBytes.data(), int(kTrailBytes.size())));
    std::string rtf = WriteRtf(one, font);
    for (const char *part : {"{\\rtf1\\ansi\\ansicpg936", "\\fcharset134 \\'cb\\'ce\\'cc\\'e5;", "\\fs24",
                             "\\red1\\green2\\blue3", "\\'d0\\'c2\\par", "\\'81\\'5cb\\'95\\'7b\\'95\\'7d\\par"})
        EXPECT_NE(rtf.find(part), std::string::npos) << part << " in " << rtf;
}

TEST(RtfText, ReadsRichTextOfOtherPrograms)
{
    // As a word processor writes it: Latin and Chinese fonts, Unicode with
    // fallbacks, tables of fonts, colours and styles, document information, a
    // bookmark, a picture and a link field.
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
        "{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}{\\info{\\author Someone}{\\title Notes}}\\viewkind4\\uc1 \r\n"
        "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 Caf\\'e9 \\b bold\\b0\\par\r\n"
        "\\f1\\'d6\\'d0\\'ce\\'c4\\f0  and \\u20013?\\u25991?\\par\r\n"
        "{\\stylesheet{\\s0 Normal;}}{\\uc2\\u25991\\'ce\\'c4!}\\par\r\n"
        "Col1\\tab Col2\\line next{\\*\\bkmkstart x}{\\pict\\wmetafile8 0102ff}\\par\r\n"
        "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}\\ldblquote q\\rdblquote\\par\r\n"
        "{\\bin4 {}\\}x}}\r\n";
    EXPECT_EQ(SplitLines(ReadText(rtf)), (std::vector<std::string>{"Caf\xA8\xA6 bold", "中文 and 中文", "文!",
                                                                    "Col1\tCol2", "next", "link“q”", "x"}));
}

TEST(RtfText, DamagedRichTextGivesWhatCanBeRead)
{
    const struct {
        const char *rtf;
        const char *text;
    } cases[] = {
        {"{\\rtf1 abc{\\b def", "abcdef"},
        {"{\\rtf1 a}}}}b", "a"},
        {"{\\rtf1 x\\'zzy\\'4", "xzzy4"},
        {"{\\rtf1 \\bin999999 abc}", ""},
        {"{\\rtf1 \\u-3?\\u99999999999999?\\uc-5\\u65 B}", "??AB"},
        {"{\\rtf1 {{{{{{{{{{{{{{{{{{{{{{{{{{{{{{deep}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}", "deep"},
        {"{\\rtf1\\ansicpg99999 \\'e9}", "?"},
        {"{\\rtf1\\", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadText(c.rtf), c.text) << c.rtf;
    std::string text = "unchanged";
    EXPECT_FALSE(ReadRtf("plain {\\rtf1 text}", text));
    EXPECT_FALSE(ReadRtf("", text));
    EXPECT_EQ(text, "unchanged");
}

class RichEditTest : public formstest::ControlsOnForm {
protected:
    TRichEdit *NewViewer()
    {
        auto *edit = Add<TRichEdit>();
        edit->ReadOnly = true;
        edit->ScrollBars = ssVertical;
        return edit;
    }
};

TEST_F(RichEditTest, LoadsRichTextOrFallsBackToPlainText)
{
    auto *edit = NewViewer();
    EXPECT_EQ(edit->ClassName(), AnsiString("TRichEdit"));
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 x;}}\\f0 \\'b9\\'ab\\'b8\\'e6\\par two}";
    WriteBytes("article.txt", rtf);
    WriteBytes("plain.txt", "第一行\r\n第二行\n{\\rtf1 not at the start}");
    ASSERT_TRUE(edit->Lines->LoadFromFile("article.txt"));
    EXPECT_EQ(LinesOf(*edit->Lines), (std::vector<std::string>{"公告", "two"}));
    ASSERT_TRUE(edit->Lines->LoadFromFile("plain.txt"));
    EXPECT_EQ(LinesOf(*edit->Lines), (std::vector<std::string>{"第一行", "第二行", "{\\rtf1 not at the start}"}));
    EXPECT_FALSE(edit->Lines->LoadFromFile("missing.txt"));
    EXPECT_EQ(edit->Lines->Count(), 3);

    edit->PlainText = true;
    ASSERT_TRUE(edit->Lines->LoadFromFile("article.txt"));
    EXPECT_EQ(LinesOf(*edit->Lines), std::vector<std::string>{rtf});

    form->Show();
    auto *widget = static_cast<QTextEdit *>(edit->Widget());
    EXPECT_TRUE(widget->isReadOnly());
    edit->Clear();
    edit->Lines->Add("公告");
    edit->Lines->Add("two");
    EXPECT_EQ(widget->toPlainText(), QStringView(u"公告\ntwo").toString());
}

TEST_F(RichEditTest, SavesRichTextOrPlainLines)
{
    auto *edit = NewViewer();
    edit->Lines->Add("公告");
    edit->Lines->Add("");
    edit->Lines->Add("{x}");
    edit->Font->Name = "Tahoma";
    edit->Font->Size = 11;
    edit->Font->Color = clRed;

    ASSERT_TRUE(edit->Lines->SaveToFile("saved.doc"));
    std::string rtf = FileBytes("saved.doc");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("\\fcharset134 Tahoma;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\red255\\green0\\blue0;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\fs22 "), std::string::npos) << rtf;

    edit->PlainText = true;
    ASSERT_TRUE(edit->Lines->SaveToFile("saved.txt"));
    EXPECT_EQ(FileBytes("saved.txt"), "公告\r\n\r\n{x}\r\n");

    edit->PlainText = false;
    edit->Clear();
    ASSERT_TRUE(edit->Lines->LoadFromFile("saved.doc"));
    EXPECT_EQ(LinesOf(*edit->Lines), (std::vector<std::string>{"公告", "", "{x}"}));
    EXPECT_FALSE(edit->Lines->SaveToFile("no such folder/x.doc"));
}

TEST_F(RichEditTest, SelectionAndCopyToClipboard)
{
    auto *edit = NewViewer();
    edit->Lines->Add("甲乙");
    edit->Lines->Add("丙");
    form->Show();
    EXPECT_EQ(int(edit->SelLength), 0);
    edit->SelectAll();
    EXPECT_EQ(int(edit->SelStart), 0);
    EXPECT_EQ(int(edit->SelLength), 4);
    edit->CopyToClipboard();
    EXPECT_EQ(Str(Clipboard()->AsText), "甲乙\r\n丙");

    edit->SelStart = 1;
    EXPECT_EQ(int(edit->SelLength), 0);
    edit->CopyToClipboard();
    EXPECT_EQ(Str(Clipboard()->AsText), "甲乙\r\n丙");
    edit->SelLength = 1;
    edit->CopyToClipboard();
    EXPECT_EQ(Str(Clipboard()->AsText), "乙");
    edit->SelLength = 100;
    EXPECT_EQ(int(edit->SelLength), 3);
}

TEST_F(RichEditTest, PostedPageDownScrollsOnePage)
{
    auto *edit = NewViewer();
    edit->Align = alClient;
    for (int i = 0; i < 200; ++i)
        edit->Lines->Add(AnsiString("第") + AnsiString(i) + AnsiString("行"));
    form->Show();
    QScrollBar *bar = static_cast<QTextEdit *>(edit->Widget())->verticalScrollBar();
    ASSERT_TRUE(PumpUntil([&] { return bar->maximum() > 0; }));
    EXPECT_EQ(bar->value(), 0);
    ASSERT_TRUE(PostMessage(edit->Handle, WM_KEYDOWN, VK_NEXT, 1));
    ASSERT_TRUE(PumpUntil([&] { return bar->value() > 0; }));
    int first = bar->value();
    EXPECT_GE(first, bar->pageStep() / 2);
    ASSERT_TRUE(PostMessage(edit->Handle, WM_KEYDOWN, VK_NEXT, 1));
    EXPECT_TRUE(PumpUntil([&] { return bar->value() > first; }));
}

// The "Pages:" and "Title:" lines pdfinfo gives for a file.
struct PdfInfo {
    int pages = -1;
    std::string title;
};

PdfInfo ReadPdfInfo(const std::string &path)
{
    PdfInfo info;
    std::string command = "pdfinfo '" + path + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return info;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s = line;
        if (!s.empty() && s.back() == '\n')
            s.pop_back();
        if (s.rfind("Pages:", 0) == 0)
            info.pages = std::atoi(s.c_str() + 6);
        else if (s.rfind("Title:", 0) == 0)
            info.title = s.substr(s.find_first_not_of(' ', 6));
    }
    pclose(pipe);
    return info;
}

TEST_F(RichEditTest, PrintsTheWholeTextOnAsManyPagesAsItNeeds)
{
    const std::string path = QDir::currentPath().toStdString() + "/richedit.pdf";
    struct PdfOutput {
        explicit PdfOutput(const std::string &file) { setenv("LUMO_PRINT_PDF", file.c_str(), 1); }
        ~PdfOutput() { unsetenv("LUMO_PRINT_PDF"); }
    } output(path);
    auto *edit = NewViewer();
    edit->Font->Size = 12;

    edit->Lines->Add("短文");
    ASSERT_TRUE(edit->Print("打印"));
    PdfInfo one = ReadPdfInfo(path);
    EXPECT_EQ(one.pages, 1);
    EXPECT_EQ(one.title, GbkToUtf8("打印"));

    // 12 points at 300 dpi is 50 pixels a line: a page holds about 63 lines.
    std::string longLine;
    for (int i = 0; i < 400; ++i)
        longLine += "很长的一行";
    edit->Lines->Add(AnsiString(longLine.data(), int(longLine.size())));
    for (int i = 0; i < 100; ++i)
        edit->Lines->Add(AnsiString("行") + AnsiString(i));
    ASSERT_TRUE(edit->Print("/home/u/data/notes/a.txt"));
    PdfInfo many = ReadPdfInfo(path);
    EXPECT_GE(many.pages, 3);
    EXPECT_EQ(many.title, "/home/u/data/notes/a.txt");
}

} // namespace
