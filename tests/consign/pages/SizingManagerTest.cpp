// The sizing manager and its dialog and page bases: controls follow the window
// by their edges' shares of the growth, never below their initial rectangles;
// the grow percentage, the minimum tracking size and the size grip.
#include <iterator>

#include "consign/pages/cdxCSizingDialog.h"
#include "consign/pages/cdxCSizingPropPage.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/appframe/DialogTemplate.h"
#include "tests/consign/pages/PagesFixture.h"

using namespace win;

namespace {

constexpr UINT kDialogId = 3901;
constexpr UINT kPageId = 3902;

const DialogItemTemplate kItems[] = {
    {"Static", 1001, 10, 10, 60, 20, SS_LEFT, 0, "甲"},
    {"Static", 1002, 80, 10, 60, 20, SS_LEFT, 0, "乙"},
    {"Static", 1003, 10, 40, 60, 20, SS_LEFT, 0, "丙"},
};

void RegisterTemplates()
{
    RegisterDialogResource(kDialogId, DialogTemplate{WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 200, 100, "尺寸",
                                                     "宋体", 9, kItems, static_cast<int>(std::size(kItems))});
    RegisterDialogResource(kPageId, DialogTemplate{WS_CHILD | DS_CONTROL | DS_SETFONT, 0, 0, 0, 200, 100, "页",
                                                   "宋体", 9, kItems, static_cast<int>(std::size(kItems))});
}

class CSizedDlg : public cdxCSizingDialog {
public:
    CSizedDlg(int grow, bool grip = false) : cdxCSizingDialog(kDialogId, nullptr, grip), grow_(grow) {}
    BOOL OnInitDialog() override { return cdxCSizingDialog::OnInitDialog(grow_); }

private:
    int grow_;
};

class CSizedPage : public cdxCSizingPropPage {
public:
    CSizedPage() : cdxCSizingPropPage(kPageId) {}
    BOOL OnInitDialog() override
    {
        cdxCSizingPropPage::OnInitDialog();
        m_Manager.AddControl(GetDlgItem(1001), cdxCSizingManager::MODE_STRETCH, cdxCSizingManager::MODE_STRETCH);
        return TRUE;
    }
};

CRect Placed(const CWnd *w)
{
    WINDOWPLACEMENT wp{};
    w->GetWindowPlacement(&wp);
    return CRect(wp.rcNormalPosition);
}

class SizingManagerTest : public pagestest::PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        RegisterTemplates();
    }
    // Gives the dialog a new client size and lets the size message arrive.
    static void Resize(CWnd &w, int width, int height)
    {
        const CRect r = Placed(&w);
        w.MoveWindow(r.left, r.top, width, height);
        pagestest::PumpUntil([&] {
            CRect c;
            w.GetClientRect(&c);
            return c.Width() == width && c.Height() == height;
        });
        pagestest::Pump(30);
    }
};

TEST_F(SizingManagerTest, ControlsFollowTheirModes)
{
    CSizedDlg dlg(0);
    ASSERT_TRUE(dlg.Create(kDialogId));
    dlg.ShowWindow(SW_SHOW);
    CRect client;
    dlg.GetClientRect(&client);
    struct Case {
        int id, horizontal, vertical;
        int dl, dr, dt, db; // edge moves for a growth of 100 × 60
    } cases[] = {
        {1001, 1, 2, 0, 100, 60, 60},  // keeps its left edge, stretches right, moves down
        {1002, 3, 0, 50, 50, 0, 0},    // stays centred across, fixed vertically
        {1003, 2, 1, 100, 100, 0, 60}, // moves right, stretches down
    };
    CRect initial[3];
    for (size_t i = 0; i < std::size(cases); ++i) {
        initial[i] = Placed(dlg.GetDlgItem(cases[i].id));
        ASSERT_NE(dlg.m_Manager.AddControl(dlg.GetDlgItem(cases[i].id), cases[i].horizontal, cases[i].vertical),
                  nullptr);
    }
    Resize(dlg, client.Width() + 100, client.Height() + 60);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case &c = cases[i];
        EXPECT_EQ(Placed(dlg.GetDlgItem(c.id)),
                  CRect(initial[i].left + c.dl, initial[i].top + c.dt, initial[i].right + c.dr,
                        initial[i].bottom + c.db))
            << "control " << c.id;
    }
    // Smaller than at the start: every control is back at its initial rectangle.
    Resize(dlg, client.Width() - 40, client.Height() - 20);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Placed(dlg.GetDlgItem(cases[i].id)), initial[i]) << "control " << cases[i].id;
    EXPECT_FALSE(dlg.m_Manager.RepositionToClient());
    EXPECT_TRUE(dlg.m_Manager.Reposition(client.Width(), client.Height()));
    dlg.DestroyWindow();
}

TEST_F(SizingManagerTest, RefusesWhatItCannotPlace)
{
    CSizedDlg dlg(0);
    cdxCSizingManager idle(3, false);
    ASSERT_TRUE(dlg.Create(kDialogId));
    EXPECT_EQ(dlg.m_Manager.AddControlPercent(dlg.GetDlgItem(1001), 0, 0, 0, 0), nullptr) << "four zero shares";
    EXPECT_EQ(dlg.m_Manager.AddControl(dlg.GetDlgItem(1001), 0, 7), nullptr) << "fixed both ways";
    EXPECT_EQ(dlg.m_Manager.AddControl(nullptr, 1, 1), nullptr);
    idle.SetWindow(&dlg);
    EXPECT_EQ(idle.AddControl(dlg.GetDlgItem(1001), 1, 1), nullptr) << "before Init";
    EXPECT_FALSE(idle.Reposition(500, 500));
    EXPECT_EQ(dlg.m_Manager.m_pFirst, nullptr);
    dlg.DestroyWindow();
}

TEST_F(SizingManagerTest, GrowPercentWidensFromEachEdge)
{
    CSizedDlg plain(0), grown(10);
    ASSERT_TRUE(plain.Create(kDialogId));
    ASSERT_TRUE(grown.Create(kDialogId));
    const CRect p = Placed(&plain), g = Placed(&grown);
    // Each edge moves out by a fifth of the size: 40 % wider and taller.
    EXPECT_EQ(g.Width(), p.Width() + 2 * (p.Width() / 5));
    EXPECT_EQ(g.Height(), p.Height() + 2 * (p.Height() / 5));
    EXPECT_GE(g.left, 0);
    EXPECT_GE(g.top, 0);

    struct Case {
        CRect before, after;
        int flags;
    } cases[] = {
        {CRect(100, 100, 300, 200), CRect(60, 80, 340, 220), 3},
        {CRect(10, 10, 210, 110), CRect(0, 0, 250, 130), 3},
        {CRect(100, 100, 300, 200), CRect(60, 100, 340, 200), 1},
        {CRect(100, 100, 300, 200), CRect(100, 80, 300, 220), 2},
    };
    for (const Case &c : cases) {
        plain.m_Manager.m_Flags = c.flags;
        plain.MoveWindow(&c.before);
        plain.m_Manager.GrowWindow(10);
        EXPECT_EQ(Placed(&plain), c.after) << "flags " << c.flags;
    }
    plain.DestroyWindow();
    grown.DestroyWindow();
}

TEST_F(SizingManagerTest, MinimumTrackingSizeIsTheInitialSize)
{
    CSizedDlg dlg(0);
    ASSERT_TRUE(dlg.Create(kDialogId));
    const CRect start = Placed(&dlg);
    MINMAXINFO info{};
    info.ptMaxTrackSize = POINT{5000, 4000};
    dlg.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, start.Width());
    EXPECT_EQ(info.ptMinTrackSize.y, start.Height());
    EXPECT_EQ(info.ptMaxTrackSize.x, 5000);
    EXPECT_EQ(info.ptMaxTrackSize.y, 4000);
    dlg.m_Manager.m_Flags = cdxCSizingManager::GROW_X;
    dlg.m_Manager.GetMinMaxInfo(&info);
    EXPECT_EQ(info.ptMaxTrackSize.y, start.Height()) << "it may not grow taller";
    EXPECT_EQ(info.ptMaxTrackSize.x, 5000);
    dlg.DestroyWindow();
}

TEST_F(SizingManagerTest, GripSitsInTheCornerAndFollowsIt)
{
    CSizedDlg dlg(0, true);
    ASSERT_TRUE(dlg.Create(kDialogId));
    dlg.ShowWindow(SW_SHOW);
    ASSERT_TRUE(dlg.m_Manager.m_bGrip);
    CWnd *grip = dlg.GetDlgItem(0xFFFF);
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->GetStyle() & SS_BITMAP);
    EXPECT_TRUE(grip->GetExStyle() & WS_EX_TRANSPARENT);
    EXPECT_TRUE(grip->IsWindowVisible());
    CRect client;
    dlg.GetClientRect(&client);
    EXPECT_EQ(Placed(grip).BottomRight(), client.BottomRight());
    Resize(dlg, client.Width() + 30, client.Height() + 20);
    EXPECT_EQ(Placed(grip).BottomRight(), CPoint(client.right + 30, client.bottom + 20));
    dlg.DestroyWindow();
}

TEST_F(SizingManagerTest, PageControlsFollowThePage)
{
    CSizedPage page;
    CPropertySheet sheet("页");
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
    ASSERT_TRUE(page.m_Manager.IsInitialized());
    CWnd *first = page.GetDlgItem(1001);
    const CRect start = Placed(first);
    CRect client;
    page.GetClientRect(&client);
    Resize(page, client.Width() + 40, client.Height() + 10);
    EXPECT_EQ(Placed(first), CRect(start.left, start.top, start.right + 40, start.bottom + 10));
    page.DestroyWindow();
    EXPECT_EQ(page.m_Manager.m_pFirst, nullptr) << "records go with the window";
    sheet.DestroyWindow();
}

} // namespace
