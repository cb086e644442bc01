#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <string>
#include <vector>

#include "platform/appframe/CButton.h"
#include "platform/appframe/CCmdUI.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CMenu.h"
#include "platform/gdi/Gdi.h"
#include "tests/platform/appframe/AppframeFixture.h"

using namespace win;

namespace {

constexpr UINT kDialogId = 900;
constexpr UINT kEndLater = WM_USER + 40;

const DialogItemTemplate kItems[] = {
    {"Static", 1003, 7, 9, 40, 8, SS_LEFT, 0, "数量:"},
    {"Edit", 1004, 50, 7, 60, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 0, ""},
    {"Edit", 1005, 50, 24, 60, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Button", IDOK, 120, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
    {"Button", IDCANCEL, 120, 24, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

const DialogTemplate kDialog = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                0, 0, 0, 180, 45, "数量", "宋体", 9, kItems, 5};

class CQuantityDlg : public CDialog {
public:
    CQuantityDlg() : CDialog(kDialogId) {}
    int m_nQuantity = 0;
    CString m_strNote;
    std::vector<std::string> log;
    std::vector<std::string> actions;
    bool endLater = false;

    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Text(pDX, 1004, m_nQuantity);
        DDV_MinMaxInt(pDX, m_nQuantity, 0, 999);
        DDX_Text(pDX, 1005, m_strNote);
        DDV_MaxChars(pDX, m_strNote, 6);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (endLater)
            PostMessage(kEndLater);
        return TRUE;
    }
    void OnOK() override
    {
        actions.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        actions.push_back("cancel");
        CDialog::OnCancel();
    }

protected:
    LRESULT OnEndLater(WPARAM, LPARAM)
    {
        EndDialog(42);
        return 0;
    }
    void OnSetFocus1004() { log.push_back("setfocus 1004"); }
    void OnKillFocus1004() { log.push_back("killfocus 1004"); }
    void OnChange1005() { log.push_back("change 1005"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CQuantityDlg, CDialog)
    ON_MESSAGE(kEndLater, OnEndLater)
    ON_EN_SETFOCUS(1004, OnSetFocus1004)
    ON_EN_KILLFOCUS(1004, OnKillFocus1004)
    ON_EN_CHANGE(1005, OnChange1005)
END_MESSAGE_MAP()

class DialogTest : public appframetest::AppframeFixture {
protected:
    void SetUp() override
    {
        AppframeFixture::SetUp();
        RegisterDialogResource(kDialogId, kDialog);
    }
    // A shown modeless dialog of the template.
    void Open(CQuantityDlg &dlg)
    {
        ASSERT_TRUE(dlg.Create(kDialogId));
        appframetest::ShowActive(dlg);
    }
    int FocusId() { return CWnd::GetFocus() ? CWnd::GetFocus()->GetDlgCtrlID() : 0; }
};

TEST_F(DialogTest, ControlsAreReachableByIdAtTheirDialogUnitRectangles)
{
    CQuantityDlg dlg;
    Open(dlg);
    // The base units of the template's font, as Windows derives them.
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体");
    HDC dc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    int bx = (letters.cx / 26 + 1) / 2;
    int by = tm.tmHeight;
    ASSERT_GT(bx, 0);
    auto px = [](int du, int base, int div) { return (du * base + div / 2) / div; };

    struct Case {
        int id;
        int x, y, cx, cy;
    };
    for (Case c : {Case{1004, 50, 7, 60, 12}, Case{1005, 50, 24, 60, 12}, Case{IDOK, 120, 7, 50, 14}}) {
        SCOPED_TRACE(c.id);
        CWnd *item = dlg.GetDlgItem(c.id);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetDlgCtrlID(), c.id);
        CRect r;
        item->GetWindowRect(&r);
        dlg.ScreenToClient(&r);
        EXPECT_EQ(r, CRect(px(c.x, bx, 4), px(c.y, by, 8), px(c.x + c.cx, bx, 4), px(c.y + c.cy, by, 8)));
    }
    CRect client;
    dlg.GetClientRect(&client);
    EXPECT_EQ(client.Width(), px(180, bx, 4));
    EXPECT_EQ(client.Height(), px(45, by, 8));
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
    EXPECT_EQ(FocusId(), 1004);
}

TEST_F(DialogTest, DataExchangeRefusesBadValuesWithTheFrameworkMessage)
{
    struct Case {
        const char *quantity;
        const char *note;
        const char *message; // null: accepted
        int focus;
    };
    const Case cases[] = {
        {"999", "备注", nullptr, 0},
        {" 0 ", "", nullptr, 0},
        {"1000", "", "请输入一个介于 0 和 999 之间的整数。", 1004},
        {"-1", "", "请输入一个介于 0 和 999 之间的整数。", 1004},
        {"12a", "", "请键入一个整数。", 1004},
        {"", "", "请键入一个整数。", 1004},
        {"99999999999", "", "请键入一个整数。", 1004},
        {"5", "备注文字", "请输入不超过 6 个字符。", 1005},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.quantity);
        CQuantityDlg dlg;
        Open(dlg);
        RecordMessageBoxes(true);
        dlg.SetDlgItemText(1004, c.quantity);
        dlg.SetDlgItemText(1005, c.note);
        dlg.GotoDlgCtrl(dlg.GetDlgItem(IDOK));
        BOOL ok = dlg.UpdateData(TRUE);
        std::vector<ShownMessageBox> shown = ShownMessageBoxes();
        if (!c.message) {
            EXPECT_TRUE(ok);
            EXPECT_TRUE(shown.empty());
            EXPECT_EQ(dlg.m_nQuantity, atoi(c.quantity));
            continue;
        }
        EXPECT_FALSE(ok);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, c.message);
        EXPECT_EQ(shown[0].caption, appframetest::kProgramTitle);
        EXPECT_EQ(shown[0].icon, MB_ICONEXCLAMATION);
        EXPECT_EQ(FocusId(), c.focus);
    }
}

TEST_F(DialogTest, EnterAndEscReachOnOkAndOnCancel)
{
    CQuantityDlg dlg;
    Open(dlg);
    // Tab moves to the next tab stop.
    ASSERT_TRUE(appframetest::PumpUntil([&] { return FocusId() == 1004; }));
    PostMessageA(dlg.GetDlgItem(1004)->m_hWnd, WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return FocusId() == 1005; }));

    dlg.SetDlgItemText(1004, "12");
    PostMessageA(dlg.GetDlgItem(1005)->m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return !dlg.actions.empty(); }));
    EXPECT_EQ(dlg.actions, std::vector<std::string>{"ok"});
    EXPECT_EQ(dlg.m_nQuantity, 12);
    // A modeless dialog ended by OnOK is hidden.
    EXPECT_FALSE(dlg.IsWindowVisible());

    appframetest::ShowActive(dlg);
    PostMessageA(dlg.GetDlgItem(1004)->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return dlg.actions.size() == 2; }));
    EXPECT_EQ(dlg.actions.back(), "cancel");
}

TEST_F(DialogTest, ModalDialogReturnsItsEndDialogCode)
{
    CQuantityDlg dlg;
    dlg.endLater = true;
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.m_hWnd, 0u);

    // Closing the window is Cancel.
    CQuantityDlg closing;
    QTimer::singleShot(0, [&] { PostMessageA(closing.m_hWnd, WM_CLOSE, 0, 0); });
    EXPECT_EQ(closing.DoModal(), IDCANCEL);
    EXPECT_EQ(closing.actions, std::vector<std::string>{"cancel"});

    CDialog unknown(4711);
    EXPECT_EQ(unknown.DoModal(), -1);
}

TEST_F(DialogTest, EditFocusAndChangeNotificationsReachTheParent)
{
    CQuantityDlg dlg;
    Open(dlg);
    dlg.GotoDlgCtrl(dlg.GetDlgItem(1005));
    ASSERT_TRUE(appframetest::PumpUntil([&] { return FocusId() == 1005; }));
    dlg.log.clear();
    dlg.GotoDlgCtrl(dlg.GetDlgItem(1004));
    ASSERT_TRUE(appframetest::PumpUntil([&] { return FocusId() == 1004; }));
    dlg.NextDlgCtrl();
    ASSERT_TRUE(appframetest::PumpUntil([&] { return FocusId() == 1005; }));
    dlg.SetDlgItemText(1005, "x");
    std::vector<std::string> want{"setfocus 1004", "killfocus 1004", "change 1005"};
    EXPECT_EQ(dlg.log, want);
}

// A window whose update handlers decide the state of commands 101 to 103.
class CCommandWnd : public CWnd {
public:
    bool enable101 = false;
    int chosen = 0;
    std::vector<UINT> sysCommands;

protected:
    void OnUpdate101(CCmdUI *ui) { ui->Enable(enable101); }
    void OnUpdate103(CCmdUI *ui) { ui->SetCheck(1); }
    void OnUpdateOk(CCmdUI *ui) { ui->Enable(FALSE); }
    void OnUpdateCheck(CCmdUI *ui) { ui->SetCheck(1); }
    void On102() { chosen = 102; }
    void OnSysCommand(UINT nID, LPARAM lParam)
    {
        sysCommands.push_back(nID);
        CWnd::OnSysCommand(nID, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCommandWnd, CWnd)
    ON_UPDATE_COMMAND_UI(101, OnUpdate101)
    ON_UPDATE_COMMAND_UI(103, OnUpdate103)
    ON_UPDATE_COMMAND_UI(IDOK, OnUpdateOk)
    ON_UPDATE_COMMAND_UI(1006, OnUpdateCheck)
    ON_COMMAND(102, On102)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

const MenuTemplateItem kMenu[] = {
    {0, MF_POPUP, 0, "文件"},
    {1, MF_STRING, 101, "第一项"},
    {1, MF_STRING, 102, "第二项"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, MF_STRING, 103, "第三项"},
};

TEST_F(DialogTest, TrackPopupMenuRunsUpdateHandlersAndReturnsTheChosenCommand)
{
    ASSERT_TRUE(RegisterMenuResource(177, kMenu, 5));
    CCommandWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, 0, 0));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(177));
    CMenu *popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 4);
    EXPECT_EQ(popup->GetMenuItemID(1), 102u);

    bool enabled101 = true;
    bool checked103 = false;
    QTimer::singleShot(50, [&] {
        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(shown, nullptr);
        for (QAction *a : shown->actions()) {
            if (a->text() == QString::fromUtf16(u"第一项"))
                enabled101 = a->isEnabled();
            if (a->text() == QString::fromUtf16(u"第三项"))
                checked103 = a->isChecked();
        }
        for (QAction *a : shown->actions())
            if (a->text() == QString::fromUtf16(u"第二项"))
                a->trigger();
        shown->close();
    });
    EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, 10, 10, &owner), 102);
    EXPECT_FALSE(enabled101);
    EXPECT_TRUE(checked103);
    EXPECT_EQ(popup->GetMenuState(101, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    // Without TPM_RETURNCMD the choice is posted to the owner.
    QTimer::singleShot(50, [&] {
        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(shown, nullptr);
        for (QAction *a : shown->actions())
            if (a->text() == QString::fromUtf16(u"第二项"))
                a->trigger();
        shown->close();
    });
    EXPECT_TRUE(popup->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &owner));
    ASSERT_TRUE(appframetest::PumpUntil([&] { return owner.chosen == 102; }));
}

// Chooses the item with that text in the menu that opens next.
void ChooseLater(const char16_t *text, bool *enabled = nullptr)
{
    QTimer::singleShot(50, [text, enabled] {
        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(shown, nullptr);
        for (QAction *a : shown->actions()) {
            if (a->text() != QString::fromUtf16(text))
                continue;
            if (enabled)
                *enabled = a->isEnabled();
            if (a->isEnabled())
                a->trigger();
        }
        shown->close();
    });
}

TEST_F(DialogTest, SystemMenuItemsArriveAsSysCommands)
{
    CCommandWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, 0, 0));
    CMenu *sys = wnd.GetSystemMenu(FALSE);
    ASSERT_NE(sys, nullptr);
    ASSERT_TRUE(sys->AppendMenu(MF_SEPARATOR));
    ASSERT_TRUE(sys->AppendMenu(MF_STRING, 32, "重新连接"));
    ASSERT_TRUE(sys->AppendMenu(MF_STRING, 48, "恢复默认大小"));
    EXPECT_EQ(wnd.GetSystemMenu(FALSE), sys);
    EXPECT_EQ(sys->EnableMenuItem(32, MF_GRAYED), MF_ENABLED);
    bool enabled = true;
    ChooseLater(u"重新连接", &enabled);
    CMenu::TrackSystemMenu(&wnd, 0, 0);
    EXPECT_FALSE(enabled);
    ChooseLater(u"恢复默认大小");
    CMenu::TrackSystemMenu(&wnd, 0, 0);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return !wnd.sysCommands.empty(); }));
    EXPECT_EQ(wnd.sysCommands, std::vector<UINT>{48});
    // Reverting drops the program's items.
    wnd.GetSystemMenu(TRUE);
    EXPECT_EQ(wnd.GetSystemMenu(FALSE)->GetMenuState(48, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(DialogTest, UpdateHandlersSetControlsEnabledAndChecked)
{
    static const DialogItemTemplate items[] = {
        {"Button", IDOK, 5, 5, 40, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "确定"},
        {"Button", 1006, 5, 25, 60, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "选项"},
    };
    static const DialogTemplate t = {WS_POPUP, 0, 0, 0, 80, 40, "", nullptr, 0, items, 2};
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t));
    CCommandWnd target;
    EXPECT_TRUE(dlg.GetDlgItem(IDOK)->IsWindowEnabled());
    dlg.UpdateDialogControls(&target, FALSE);
    EXPECT_FALSE(dlg.GetDlgItem(IDOK)->IsWindowEnabled());
    EXPECT_EQ(dlg.IsDlgButtonChecked(1006), static_cast<UINT>(BST_CHECKED));
}

} // namespace
