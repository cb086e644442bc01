// The pop-up menu loop: where a menu opens beside an excluded rectangle, its
// input offered to the thread's message filters first (MSGF_MENU, the mouse in
// screen coordinates), a taken message that the menu never sees, and
// WM_CANCELMODE to the owner ending the menu with no choice.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <functional>
#include <vector>

#include "platform/appframe/CMenu.h"
#include "platform/appframe/CWnd.h"
#include "platform/win/Hooks.h"
#include "platform/win/Thread.h"
#include "tests/platform/appframe/AppframeFixture.h"

using namespace win;

namespace {

TEST(PopupMenuPlace, KeepsToTheScreenAndClearOfTheExcludedRectangle)
{
    const RECT screen{0, 0, 800, 600};
    const SIZE size{100, 80};
    const RECT lowButton{300, 560, 360, 580}, highButton{300, 20, 360, 40};
    struct Case {
        int x, y;
        UINT flags;
        const RECT *exclude;
        int left, top;
    } cases[] = {
        {10, 10, TPM_LEFTALIGN, nullptr, 10, 10},
        {200, 200, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, nullptr, 100, 120},
        {200, 200, TPM_CENTERALIGN | TPM_VCENTERALIGN, nullptr, 150, 160},
        {750, 10, TPM_LEFTALIGN, nullptr, 650, 10},   // past the right edge: left of the point
        {10, 550, TPM_LEFTALIGN, nullptr, 10, 470},   // past the foot: above the point
        {10, 10, TPM_RIGHTALIGN, nullptr, 0, 10},     // kept on the screen
        {300, 40, TPM_VERTICAL, &highButton, 300, 40}, // below the button: clear of it already
        // At the foot, a drop-down goes above its button, or beside it when
        // horizontal placing comes first.
        {300, 580, TPM_VERTICAL, &lowButton, 300, 480},
        {300, 580, TPM_HORIZONTAL, &lowButton, 360, 500},
        {300, 580, TPM_HORIZONTAL | TPM_RIGHTALIGN, &lowButton, 200, 500},
    };
    for (const Case &c : cases) {
        const POINT p = PopupMenuOrigin(c.x, c.y, size, c.flags, c.exclude, screen);
        EXPECT_EQ(p.x, c.left) << c.x << "," << c.y << " flags " << c.flags;
        EXPECT_EQ(p.y, c.top) << c.x << "," << c.y << " flags " << c.flags;
    }
}

struct Seen {
    int code;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;
HWND cancelTo = 0; // Esc sends WM_CANCELMODE here (0: Esc is only taken)

LRESULT MenuFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0)
        return CallNextHookEx(0, code, wParam, lParam);
    const MSG *msg = reinterpret_cast<const MSG *>(lParam);
    seen.push_back(Seen{code, msg->message, msg->wParam, msg->lParam});
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        if (cancelTo)
            SendMessageA(cancelTo, WM_CANCELMODE, 0, 0);
        return 1;
    }
    return CallNextHookEx(0, code, wParam, lParam);
}

class MenuLoopTest : public appframetest::AppframeFixture {
protected:
    void SetUp() override
    {
        AppframeFixture::SetUp();
        seen.clear();
        cancelTo = 0;
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, 0, 0));
        ASSERT_TRUE(menu.CreatePopupMenu());
        menu.AppendMenu(MF_STRING, 101, "第一项");
        menu.AppendMenu(MF_STRING, 102, "第二项");
        hook = SetWindowsHookExA(WH_MSGFILTER, MenuFilter, 0, GetCurrentThreadId());
        ASSERT_NE(hook, 0u);
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(hook);
        owner.DestroyWindow();
        AppframeFixture::TearDown();
    }
    // Runs `step` on the shown menu once it is up.
    static void WithMenu(std::function<void(QMenu *)> step)
    {
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, step] {
            auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!shown)
                return;
            poll->stop();
            poll->deleteLater();
            step(shown);
        });
        poll->start(20);
    }
    static void Key(QWidget *w, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }

    CWnd owner;
    CMenu menu;
    HHOOK hook = 0;
};

TEST_F(MenuLoopTest, FiltersSeeTheInputFirstAndCancelModeEndsTheMenu)
{
    const QRect g = QGuiApplication::primaryScreen()->geometry();
    TPMPARAMS tpm{sizeof(TPMPARAMS), RECT{g.left() + 40, g.bottom() - 19, g.left() + 100, g.bottom() + 1}};
    QRect shownAt;
    bool visibleAfterTakenEsc = false;
    cancelTo = owner.m_hWnd;
    owner.SetCapture();
    WithMenu([&](QMenu *shown) {
        shownAt = shown->geometry();
        Key(shown, Qt::Key_Down);
        QMouseEvent move(QEvent::MouseMove, QPointF(-30, -20), QPointF(g.left() + 45, g.bottom() - 10), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(shown, &move);
        Key(shown, Qt::Key_Escape);
        visibleAfterTakenEsc = shown->isVisible();
    });
    // At the foot of the screen the drop-down opens above its button.
    EXPECT_EQ(menu.TrackPopupMenuEx(TPM_LEFTALIGN | TPM_VERTICAL | TPM_RETURNCMD, tpm.rcExclude.left,
                                    tpm.rcExclude.bottom, &owner, &tpm),
              0);
    EXPECT_EQ(shownAt.left(), tpm.rcExclude.left);
    EXPECT_EQ(shownAt.bottom() + 1, tpm.rcExclude.top);
    EXPECT_FALSE(visibleAfterTakenEsc);
    EXPECT_EQ(GetCapture(), 0u); // the cancel let the mouse go too
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].code, MSGF_MENU);
    EXPECT_EQ(seen[0].message, WM_KEYDOWN);
    EXPECT_EQ(seen[0].wParam, WPARAM(VK_DOWN));
    EXPECT_EQ(seen[1].message, WM_MOUSEMOVE);
    EXPECT_EQ(seen[1].lParam, LPARAM(MAKELONG(WORD(g.left() + 45), WORD(g.bottom() - 10))));
    EXPECT_EQ(seen[2].wParam, WPARAM(VK_ESCAPE));
    EXPECT_FALSE(QApplication::activePopupWidget());
}

TEST_F(MenuLoopTest, ATakenKeyNeverReachesTheMenuAndOnlyTheOwnersCancelEndsIt)
{
    bool stillShown = false;
    WithMenu([&](QMenu *shown) {
        Key(shown, Qt::Key_Escape); // taken, nobody cancels: the menu stays
        stillShown = shown->isVisible();
        for (QAction *a : shown->actions())
            if (a->text() == QString::fromUtf16(u"第二项"))
                a->trigger();
        shown->close();
    });
    EXPECT_EQ(menu.TrackPopupMenuEx(TPM_LEFTALIGN | TPM_RETURNCMD, 10, 10, &owner, nullptr), 102);
    EXPECT_TRUE(stillShown);
    // With no choice, the call without TPM_RETURNCMD still succeeds; WM_CANCELMODE
    // to a window that does not own the menu leaves it open.
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, nullptr, "other", WS_POPUP, 0, 0, 10, 10, 0, 0));
    bool openAfterOthersCancel = false;
    WithMenu([&](QMenu *shown) {
        other.SendMessage(WM_CANCELMODE);
        openAfterOthersCancel = shown->isVisible();
        EndMenu();
    });
    EXPECT_TRUE(TrackPopupMenuEx(menu.m_hMenu, TPM_LEFTALIGN, 10, 10, owner.m_hWnd, nullptr));
    EXPECT_TRUE(openAfterOthersCancel);
    other.DestroyWindow();
    EXPECT_FALSE(TrackPopupMenuEx(0, 0, 10, 10, owner.m_hWnd, nullptr));
}

} // namespace
