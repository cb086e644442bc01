// The tab control and the property sheet: tab changes by click and key with
// the parent told first (and able to refuse) and after, rows of tabs, the
// sheet's pages switched by keyboard with their activation handlers, its button
// strip, and a page's list control reached through data exchange.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ListsFixture.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/appframe/CTabCtrl.h"

using namespace win;
using liststest::Click;
using liststest::NotifySink;

namespace {

constexpr UINT kTabId = 1252;

void MakeTabs(CTabCtrl &tabs, NotifySink &sink, DWORD style = 0, int width = 380)
{
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE | style, CRect(0, 0, width, 200), &sink, kTabId));
    const char *captions[] = {"银期转帐", "证期转帐", "&C其它"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(tabs.InsertItem(i, captions[i]), i);
}

// Three page templates with two edit boxes each, captioned as tabs.
constexpr UINT kPages[] = {9101, 9102, 9103};

void RegisterPages()
{
    static const DialogItemTemplate listItems[] = {
        {"SysListView32", 1293, 80, 4, 150, 90, WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL, 0, ""},
    };
    RegisterDialogResource(
        9104, DialogTemplate{WS_CHILD | DS_CONTROL, 0, 0, 0, 240, 100, "&D快捷键", nullptr, 0, listItems, 1});
    static const DialogItemTemplate items[] = {
        {"Edit", 1011, 10, 10, 80, 12, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, ""},
        {"Edit", 1012, 10, 30, 80, 12, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, ""},
    };
    const char *captions[] = {"&1下单", "&2委托", "&3成交"};
    for (int i = 0; i < 3; ++i)
        RegisterDialogResource(
            kPages[i], DialogTemplate{WS_CHILD | DS_CONTROL, 0, 0, 0, 200, 100, captions[i], nullptr, 0, items, 2});
}

// A page that logs its activation and can refuse to be left.
class LoggedPage : public CPropertyPage {
public:
    LoggedPage(UINT id, const char *name, std::vector<std::string> &log) : CPropertyPage(id), name_(name), log_(log) {}
    BOOL OnSetActive() override
    {
        log_.push_back("set " + name_);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override
    {
        log_.push_back("kill " + name_);
        return refuse ? FALSE : CPropertyPage::OnKillActive();
    }
    void OnOK() override { log_.push_back("ok " + name_); }
    bool refuse = false;

private:
    std::string name_;
    std::vector<std::string> &log_;
};

// A page whose template holds a list control, reached through DDX_Control as
// the variety-table page reaches its list.
class ListPage : public CPropertyPage {
public:
    ListPage() : CPropertyPage(9104) {}
    void DoDataExchange(CDataExchange *pDX) override
    {
        CPropertyPage::DoDataExchange(pDX);
        DDX_Control(pDX, 1293, list);
    }
    BOOL OnInitDialog() override
    {
        CPropertyPage::OnInitDialog();
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
        list.InsertColumn(0, "快捷键", LVCFMT_LEFT, 56);
        list.InsertColumn(1, "品种方式", LVCFMT_LEFT, 80);
        list.InsertColumn(2, "品种名称", LVCFMT_RIGHT, 80);
        for (int i = 0; i < 10; ++i)
            list.InsertItem(i, std::to_string(i).c_str());
        return TRUE;
    }
    CListCtrl list;
};

// A sheet that keeps the strip of OK and Cancel, as the order client's does.
class StripSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    BOOL OnInitDialog() override
    {
        m_bModeless = FALSE;
        BOOL r = CPropertySheet::OnInitDialog();
        m_bModeless = TRUE;
        return r;
    }
};

// Posts a key to the window as typed with Ctrl (and Shift) held, and handles it.
void CtrlKey(HWND to, WORD key, bool shift)
{
    InputState saved = CurrentInput();
    TShiftState held;
    held << ssCtrl;
    if (shift)
        held << ssShift;
    CurrentInput() = InputState{true, false, held};
    PostMessageA(to, WM_KEYDOWN, key, 1);
    // Handles the posted key (and whatever it causes) for a moment.
    liststest::PumpUntil([] { return false; }, 100);
    CurrentInput() = saved;
}

std::vector<UINT> Codes(const NotifySink &sink)
{
    std::vector<UINT> out;
    for (const liststest::Note &n : sink.notes)
        out.push_back(n.code);
    return out;
}

} // namespace

TEST(SheetTest, TabSelectionChangeNotifiesTheParent)
{
    NotifySink sink;
    CTabCtrl tabs;
    MakeTabs(tabs, sink);
    EXPECT_EQ(tabs.GetItemCount(), 3);
    EXPECT_EQ(tabs.GetCurSel(), 0) << "the first tab inserted becomes current";
    EXPECT_EQ(tabs.GetRowCount(), 1);

    CRect r;
    ASSERT_TRUE(tabs.GetItemRect(2, &r));
    Click(tabs, r.CenterPoint().x, r.CenterPoint().y);
    EXPECT_EQ(Codes(sink), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
    EXPECT_EQ(sink.notes.back().id, kTabId);
    EXPECT_EQ(tabs.GetCurSel(), 2);

    sink.notes.clear();
    EXPECT_EQ(tabs.SetCurSel(1), 2);
    EXPECT_TRUE(sink.notes.empty()) << "SetCurSel tells nobody";
    EXPECT_EQ(tabs.SetCurSel(7), -1);
    EXPECT_EQ(tabs.GetCurSel(), 1);

    liststest::Key(tabs, VK_RIGHT);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_EQ(sink.Of(TCN_SELCHANGE).size(), 1u);

    // A parent that refuses keeps the current tab and hears no change.
    sink.notes.clear();
    sink.refuseTabChange = true;
    ASSERT_TRUE(tabs.GetItemRect(0, &r));
    Click(tabs, r.CenterPoint().x, r.CenterPoint().y);
    EXPECT_EQ(Codes(sink), (std::vector<UINT>{TCN_SELCHANGING}));
    EXPECT_EQ(tabs.GetCurSel(), 2);

    // The display area lies below the tabs.
    CRect area(0, 0, 380, 200);
    tabs.AdjustRect(FALSE, &area);
    ASSERT_TRUE(tabs.GetItemRect(0, &r));
    EXPECT_GE(area.top, r.bottom);
    CRect back = area;
    tabs.AdjustRect(TRUE, &back);
    EXPECT_EQ(back, CRect(0, 0, 380, 200));
}

TEST(SheetTest, MultiLineTabsKeepTheCurrentRowNextToThePage)
{
    NotifySink sink;
    CTabCtrl tabs;
    MakeTabs(tabs, sink, TCS_MULTILINE, 150);
    for (int i = 3; i < 8; ++i)
        tabs.InsertItem(i, "转帐查询");
    ASSERT_GT(tabs.GetRowCount(), 1);
    for (int current : {0, 7}) {
        tabs.SetCurSel(current);
        CRect cur;
        ASSERT_TRUE(tabs.GetItemRect(current, &cur));
        for (int i = 0; i < tabs.GetItemCount(); ++i) {
            CRect r;
            ASSERT_TRUE(tabs.GetItemRect(i, &r));
            EXPECT_LE(r.bottom, cur.bottom) << "tab " << i << " with " << current << " current";
            EXPECT_LE(r.right, 150);
        }
    }
}

TEST(SheetTest, KeyboardSwitchesPagesThroughTheirActivationHandlers)
{
    liststest::App();
    RegisterPages();
    std::vector<std::string> log;
    LoggedPage a(kPages[0], "A", log), b(kPages[1], "B", log), c(kPages[2], "C", log);
    CPropertySheet sheet("委托");
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    for (CPropertyPage *p :
         {static_cast<CPropertyPage *>(&a), static_cast<CPropertyPage *>(&b), static_cast<CPropertyPage *>(&c)})
        sheet.AddPage(p);
    ASSERT_TRUE(sheet.Create(nullptr, 0x90CF0080));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(sheet.GetActivePage(), &a);
    EXPECT_EQ(log, (std::vector<std::string>{"set A"}));
    EXPECT_EQ(b.GetSafeHwnd(), 0u) << "a page is built when first shown";
    EXPECT_EQ(sheet.GetDlgItem(IDOK), nullptr) << "a modeless sheet has no OK and Cancel";
    CTabCtrl *tabs = sheet.GetTabControl();
    ASSERT_EQ(tabs->GetItemCount(), 3);
    char text[32] = {};
    TCITEM item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ASSERT_TRUE(tabs->GetItem(1, &item));
    EXPECT_STREQ(text, "&2委托") << "the tab shows the page's caption";

    CWnd *edit = a.GetDlgItem(1011);
    ASSERT_NE(edit, nullptr);
    edit->SetFocus();
    struct Step {
        WORD key;
        bool shift;
        int expected;
    };
    const Step steps[] = {
        {VK_TAB, false, 1}, {VK_NEXT, false, 2}, {VK_TAB, false, 0}, {VK_TAB, true, 2}, {VK_PRIOR, false, 1}};
    for (const Step &step : steps) {
        CtrlKey(CWnd::GetFocus() ? CWnd::GetFocus()->GetSafeHwnd() : sheet.GetSafeHwnd(), step.key, step.shift);
        EXPECT_EQ(sheet.GetActiveIndex(), step.expected) << "key " << step.key << (step.shift ? " with Shift" : "");
        EXPECT_EQ(tabs->GetCurSel(), step.expected);
        EXPECT_TRUE(sheet.GetActivePage()->IsWindowVisible());
    }
    EXPECT_FALSE(a.IsWindowVisible());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"set A", "kill A", "set B", "kill B", "set C"}));

    // A page that refuses to be left keeps the sheet on it, whichever way.
    log.clear();
    b.refuse = true;
    CtrlKey(sheet.GetSafeHwnd(), VK_TAB, false);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_FALSE(sheet.SetActivePage(2));
    CRect r;
    ASSERT_TRUE(tabs->GetItemRect(2, &r));
    Click(*tabs, r.CenterPoint().x, r.CenterPoint().y);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"kill B", "kill B", "kill B"}));
    b.refuse = false;
    Click(*tabs, r.CenterPoint().x, r.CenterPoint().y);
    EXPECT_EQ(sheet.GetActiveIndex(), 2);
    EXPECT_TRUE(sheet.SetActivePage(&a));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);

    // Enter is the sheet's OK: every built page hears it, the sheet stays.
    log.clear();
    edit->SetFocus();
    InputState saved = CurrentInput();
    CurrentInput() = InputState{true, false, TShiftState()};
    PostMessageA(edit->GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 1);
    liststest::PumpUntil([&] { return !log.empty(); });
    CurrentInput() = saved;
    EXPECT_EQ(log, (std::vector<std::string>{"kill A", "ok A", "ok B", "ok C"}));
    EXPECT_TRUE(sheet.GetSafeHwnd() != 0);
}

TEST(SheetTest, SheetMarkedNotModelessKeepsItsButtonStrip)
{
    liststest::App();
    RegisterPages();
    std::vector<std::string> log;
    LoggedPage a(kPages[0], "A", log);
    StripSheet sheet("委托", nullptr, 0);
    sheet.AddPage(&a);
    ASSERT_TRUE(sheet.Create(nullptr, 0x90CF0080 | DS_SYSMODAL));
    EXPECT_TRUE(sheet.GetExStyle() & WS_EX_TOPMOST);
    CWnd *ok = sheet.GetDlgItem(IDOK);
    CWnd *cancel = sheet.GetDlgItem(IDCANCEL);
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    CRect okRect, cancelRect, tabRect;
    ok->GetWindowRect(&okRect);
    cancel->GetWindowRect(&cancelRect);
    sheet.GetTabControl()->GetWindowRect(&tabRect);
    EXPECT_GT(okRect.top, tabRect.bottom) << "the strip lies below the tabs";
    EXPECT_LT(okRect.right, cancelRect.left);
    EXPECT_EQ(sheet.GetDlgItem(0x3021), nullptr) << "no Apply button";
    ok->DestroyWindow();
    EXPECT_EQ(sheet.GetDlgItem(IDOK), nullptr) << "the caller may drop the buttons";
}

TEST(SheetTest, PageTemplateListControlIsReachedThroughDataExchange)
{
    liststest::App();
    RegisterPages();
    ListPage page;
    CPropertySheet sheet("快捷键");
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create(nullptr, 0x90CF0080));
    ASSERT_NE(page.list.GetSafeHwnd(), 0u);
    EXPECT_EQ(page.list.GetParent(), &page);
    EXPECT_EQ(page.list.GetItemCount(), 10);
    EXPECT_EQ(page.list.GetColumnWidth(1), 80);
    EXPECT_EQ(page.list.GetItemText(7, 0), "7");
    EXPECT_EQ(page.list.GetExtendedStyle(), LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
}
