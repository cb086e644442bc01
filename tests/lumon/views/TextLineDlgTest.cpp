// The text line dialog: OK keeps at most 255 bytes, cut on a character, with the
// extent of what was kept; an empty text or Cancel leaves the line as it was, and
// a text line whose dialog is not confirmed stays unplaced.
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "LineFixture.h"
#include "lumon/core/EMemOp.h"
#include "lumon/views/TTextLineDlg.h"

using namespace win;

namespace {

// Runs `act` on the dialog once it is shown.
void WhenShown(std::function<void(TTextLineDlg &)> act)
{
    QTimer::singleShot(0, [act] {
        ASSERT_NE(TextLineDlg, nullptr);
        act(*TextLineDlg);
    });
}

void Type(TTextLineDlg &d, const std::string &text)
{
    d.Edit1->Text = text.c_str();
    d.Button1->Click();
}

TEST(TextLineDlg, OkKeepsAtMost255BytesCutOnACharacter)
{
    testsupport::TestApplication("test_lumon_views");
    struct Case {
        std::string typed;
        size_t kept;
    } cases[] = {{"突破", 4}, {std::string(300, 'a'), 255}, {[] {
                                                                  std::string s;
                                                                  for (int i = 0; i < 150; ++i)
                                                                      s += "中";
                                                                  return s;
                                                              }(),
                                                              254}};
    for (const Case &c : cases) {
        char *text = nullptr;
        SIZE extent{};
        TTextLineDlg dialog(&text, &extent);
        EXPECT_EQ(std::string(dialog.GetCaption().c_str()), "请输入文字");
        EXPECT_EQ(dialog.GetClientWidth(), 242);
        EXPECT_EQ(dialog.GetClientHeight(), 82);
        EXPECT_FALSE(dialog.Button3->Visible);
        WhenShown([&](TTextLineDlg &d) { Type(d, c.typed); });
        ASSERT_EQ(dialog.ShowModal(), mrOk);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::strlen(text), c.kept);
        EXPECT_EQ(EMemSize(text), 256u);
        EXPECT_EQ(std::string(text), c.typed.substr(0, c.kept));
        SIZE expected = MeasureLineText(text);
        EXPECT_EQ(extent.cx, expected.cx);
        EXPECT_EQ(extent.cy, expected.cy);
        EMemFree(text);
    }
}

TEST(TextLineDlg, EmptyTextOrCancelLeavesTheLineAsItWas)
{
    testsupport::TestApplication("test_lumon_views");
    for (bool cancel : {false, true}) {
        char *text = nullptr;
        SIZE extent{7, 8};
        TTextLineDlg dialog(&text, &extent);
        WhenShown([cancel](TTextLineDlg &d) {
            if (cancel) {
                d.Edit1->Text = "不要";
                d.Button2->Click();
            } else {
                Type(d, "");
            }
        });
        EXPECT_EQ(dialog.ShowModal(), mrCancel);
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ(extent.cx, 7);
        EXPECT_EQ(extent.cy, 8);
    }
    EXPECT_EQ(TextLineDlg, nullptr);
}

TEST(TextLineDlg, ATextLineIsCompleteOnlyWhenItsTextIsConfirmed)
{
    LinePane p;
    for (const char *typed : std::initializer_list<const char *>{"", nullptr, "高点"}) {
        *p.image = p.clean;
        auto line = p.Make(LK_TEXT);
        WhenShown([typed](TTextLineDlg &d) {
            if (typed)
                Type(d, typed);
            else
                d.Button2->Click();
        });
        int result = line->Press(123, 100, p.dc);
        if (!typed || !*typed) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(line->State, 0);
            EXPECT_EQ(line->Text, nullptr);
            EXPECT_TRUE(*p.image == p.clean);
            continue;
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(line->State, 1);
        EXPECT_STREQ(line->Text, typed);
        EXPECT_FALSE(*p.image == p.clean); // the text is on the pane
    }
}

} // namespace
