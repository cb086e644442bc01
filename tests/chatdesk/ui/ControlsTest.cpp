// The chat windows' parts that stand alone: the skin button's face, the status
// text cut, the splitters' sizes, the frame's hit zones, the command line, the
// hint's place, the menu bar's item order, and the replay of a conversation log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChatUiFixture.h"
#include "chatdesk/ui/ChatMainDlg.h"
#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/ChatStatusBar.h"
#include "chatdesk/ui/HintWnd.h"
#include "chatdesk/ui/MenuBar.h"
#include "chatdesk/ui/PaneSplitter.h"
#include "chatdesk/ui/SkinButton.h"
#include "chatdesk/ui/TranscriptPane.h"
#include "platform/appframe/CDC.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;
using namespace chatui;

namespace {

auto *const environment = ::testing::AddGlobalTestEnvironment(new chatuitest::ChatUiEnvironment);

// A memory context with a white picture of w × h.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    Canvas(int w, int h)
    {
        CClientDC screen(nullptr);
        dc.CreateCompatibleDC(&screen);
        bitmap.CreateCompatibleBitmap(&screen, w, h);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
    }
};

TEST(SkinButtonFace, BandsOfA22PixelButtonStepAsDrawn)
{
    chatuitest::EnsureUi();
    Canvas c(60, 22);
    DrawSkinFace(c.dc, RECT{0, 0, 60, 22}, false, false, false);
    // Upper band: 7 rows from row 3, steps 4 and 1; lower band: 10 rows from
    // row 10, steps 5 and 2.
    for (int t = 0; t < 7; ++t)
        EXPECT_EQ(c.dc.GetPixel(30, 3 + t), RGB(BYTE(236 - 4 * t), BYTE(247 - t), 255)) << "upper row " << t;
    for (int u = 0; u < 10; ++u)
        EXPECT_EQ(c.dc.GetPixel(30, 10 + u), RGB(BYTE(204 - 5 * u), BYTE(232 - 2 * u), 255)) << "lower row " << u;
    EXPECT_EQ(c.dc.GetPixel(30, 0), RGB(35, 96, 177));
    EXPECT_EQ(c.dc.GetPixel(30, 1), RGB(255, 255, 255));
    EXPECT_EQ(c.dc.GetPixel(30, 2), RGB(236, 248, 255));
    EXPECT_EQ(c.dc.GetPixel(30, 20), RGB(186, 244, 255));
    EXPECT_EQ(c.dc.GetPixel(30, 21), RGB(35, 96, 177));
    EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(94, 184, 255)); // a rounded corner
    // Side pixels of rows 3 .. h-4, counted down from the top: c = 11/15 = 0.
    EXPECT_EQ(c.dc.GetPixel(1, 3), RGB(197, 250, 255));
}

TEST(SkinButtonFace, PressedHoverAndLowButtons)
{
    chatuitest::EnsureUi();
    Canvas pressed(40, 22);
    DrawSkinFace(pressed.dc, RECT{0, 0, 40, 22}, true, false, false);
    EXPECT_EQ(pressed.dc.GetPixel(20, 10), RGB(184, 224, 255));
    EXPECT_EQ(pressed.dc.GetPixel(20, 1), RGB(186, 244, 255));
    Canvas hover(40, 22);
    DrawSkinFace(hover.dc, RECT{0, 0, 40, 22}, false, true, false);
    EXPECT_EQ(hover.dc.GetPixel(20, 2), RGB(251, 184, 51));
    EXPECT_EQ(hover.dc.GetPixel(20, 1), RGB(255, 231, 98));
    // Under 10 pixels there is no room for bands: a flat face, no division by
    // the band heights.
    for (int h : {0, 1, 5, 7, 9}) {
        Canvas low(40, 12);
        DrawSkinFace(low.dc, RECT{0, 0, 40, h}, false, false, false);
        if (h >= 3) {
            EXPECT_EQ(low.dc.GetPixel(20, h / 2), RGB(184, 224, 255)) << h;
        }
    }
}

TEST(StatusText, LongTextsEndInDotsOnACharacter)
{
    const std::string ascii63(63, 'a');
    EXPECT_EQ(FitStatusText(ascii63.c_str()), std::string(60, 'a') + "...");
    EXPECT_EQ(FitStatusText(std::string(62, 'b').c_str()), std::string(62, 'b'));
    EXPECT_EQ(FitStatusText(std::string(200, 'c').c_str()), std::string(60, 'c') + "...");
    // A two-byte character over bytes 59 and 60 is not cut in half.
    std::string gbk = std::string(59, 'x') + "\xD6\xD0" + std::string(10, 'y');
    EXPECT_EQ(FitStatusText(gbk.c_str()), std::string(59, 'x') + "...");
    EXPECT_EQ(FitStatusText(nullptr), "");
}

TEST(SplitterSizes, RulesOfTheSizes)
{
    struct Case {
        std::vector<int> requested;
        int total, minimum;
        std::vector<int> expected;
    } cases[] = {
        {{495, -1}, 708 - 3, 80, {495, 210}},   // the outer splitter of a 720-wide window
        {{-1, 89}, 534 - 5, 75, {440, 89}},     // the inner one
        {{100, 300}, 400, 20, {100, 300}},      // proportions kept
        {{100, 300}, 200, 20, {50, 150}},
        {{1, 100}, 200, 75, {75, 125}},         // the minimum holds
        {{-1, 89}, 100, 75, {75, 25}},          // too small: the -1 pane gets the minimum
        {{-1, 89}, -5, 75, {75, -80}},          // a 0 × 0 window
        {{0, 0}, 0, 80, {80, 80}},              // nothing to share, no division by zero
        {{-1, -1}, 101, 10, {51, 50}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SplitSizes(c.requested, c.total, c.minimum), c.expected) << c.total;
}

TEST(FrameZones, HitZonesOfAWindow)
{
    struct Case {
        int x, y, zone;
    } cases[] = {{3, 3, 5}, {715, 2, 8}, {0, 580, 7}, {719, 584, 6}, {100, 5, 1}, {100, 579, 2},
                 {5, 100, 3}, {714, 100, 4}, {100, 10, 0}, {6, 6, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(FrameHitZone(c.x, c.y, 720, 585), c.zone) << c.x << "," << c.y;
}

TEST(CommandLine, OnlyAWindowNumberIsAStarter)
{
    struct Case {
        const char *line;
        HWND expected;
    } cases[] = {{"0", 0},           {"12abc", 12},      {"4294967296", 0},   {"", 0},
                 {"-1", 0},          {" 123", 123},      {"2147483647", 2147483647u},
                 {"2147483648", 0},  {"99999999999999999999999", 0},     {"abc", 0},
                 {nullptr, 0},       {"+7", 7}};
    for (const Case &c : cases)
        EXPECT_EQ(ParseStarterHandle(c.line), c.expected) << (c.line ? c.line : "(null)");
}

TEST(HintPlace, StaysOnTheScreen)
{
    const RECT screen{0, 0, 1024, 768};
    EXPECT_EQ(CHintWnd::Place(POINT{100, 100}, SIZE{120, 30}, screen).x, 100);
    EXPECT_EQ(CHintWnd::Place(POINT{100, 100}, SIZE{120, 30}, screen).y, 122);
    // Wider than the room on the right: moved left to end at the edge.
    EXPECT_EQ(CHintWnd::Place(POINT{1000, 100}, SIZE{120, 30}, screen).x, 904);
    // At the foot of the screen: above the cursor, one pixel clear of it.
    EXPECT_EQ(CHintWnd::Place(POINT{100, 750}, SIZE{120, 30}, screen).y, 719);
}

TEST(HintWindow, CutsLongTextsOnACharacter)
{
    chatuitest::EnsureUi();
    std::string text = std::string(510, 'a') + "\xD6\xD0" + std::string(88, 'b');
    CHintWnd &hint = CHintWnd::Instance();
    EXPECT_TRUE(hint.ShowHint(text.c_str(), nullptr));
    EXPECT_EQ(hint.GetText(), std::string(510, 'a'));
    EXPECT_TRUE(hint.ShowHint("name ( 在线 )\r\ninfo", nullptr));
    EXPECT_TRUE(hint.IsMultiLine());
    EXPECT_TRUE(hint.IsWindowVisible());
    EXPECT_TRUE(hint.ShowHint("", nullptr));
    EXPECT_FALSE(hint.IsWindowVisible());
}

TEST(MenuBarItems, ArrowsWrapAndMnemonicsFindTheirItem)
{
    EXPECT_EQ(NextMenuItem(0, 3, true), 1);
    EXPECT_EQ(NextMenuItem(2, 3, true), 0);
    EXPECT_EQ(NextMenuItem(0, 3, false), 2);
    EXPECT_EQ(NextMenuItem(0, 1, true), 0);
    EXPECT_EQ(NextMenuItem(0, 1, false), 0);
    const std::vector<std::string> texts = {"设置(&O)", "&Help"};
    EXPECT_EQ(MnemonicItem(texts, 'o'), 0);
    EXPECT_EQ(MnemonicItem(texts, 'H'), 1);
    EXPECT_EQ(MnemonicItem(texts, 'x'), -1);
}

TEST(NotifySound, WrittenWholeOrNotAtAll)
{
    chatuitest::EnsureUi();
    const char *tmp = std::getenv("TMPDIR");
    const std::filesystem::path folder = std::filesystem::path(tmp ? tmp : "/tmp") / "sound";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    ASSERT_TRUE(ExtractNotifySound());
    std::ifstream in(folder / "MsgNtfy.wav", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, NotifyWaveBytes());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_FALSE(std::filesystem::exists(folder / "MsgNtfy.wav.part"));
    // Where the file cannot take its place, nothing is left: no cut sound file
    // that would be kept for good.
    std::filesystem::remove(folder / "MsgNtfy.wav");
    std::filesystem::create_directories(folder / "MsgNtfy.wav" / "in the way");
    EXPECT_FALSE(ExtractNotifySound());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "MsgNtfy.wav"));
    EXPECT_FALSE(std::filesystem::exists(folder / "MsgNtfy.wav.part"));
}

class LogReplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        chatuitest::EnsureUi();
        log = CreateConversationLog();
        ASSERT_NE(log, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { CloseHandle(log); }
    void Write(const std::string &bytes)
    {
        DWORD written = 0;
        SetFilePointer(log, 0, nullptr, FILE_END);
        WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    HANDLE log = INVALID_HANDLE_VALUE;
};

TEST_F(LogReplay, BlocksAtTheBoundaryReplayWhole)
{
    const std::string exact(8192, 'q');
    Write(exact);
    EXPECT_EQ(ReadConversationLog(log), exact);
    // A character across the block boundary stays one character.
    const std::string across = std::string(8191, 'a') + "\xD6\xD0" + "tail";
    SetFilePointer(log, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(log);
    Write(across);
    EXPECT_EQ(ReadConversationLog(log), across);
    // Later writes still go to the end.
    Write("+more");
    EXPECT_EQ(ReadConversationLog(log), across + "+more");
}

TEST_F(LogReplay, ANulDoesNotCutTheRest)
{
    Write(std::string("before") + '\0' + "after");
    EXPECT_EQ(ReadConversationLog(log), "beforeafter");
    EXPECT_EQ(ReadConversationLog(INVALID_HANDLE_VALUE), "");
}

} // namespace
