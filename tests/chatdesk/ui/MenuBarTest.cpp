// The menu bar driven as a user would while its drop-downs are open: a click
// opens one below its button, the arrows move to the neighbours (wrapping), the
// mouse over another button switches unless it has not moved since an arrow,
// Esc and a click on the open button close it; the pressed button on the bar's
// image, the main window's states on the items and its commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "ChatUiFixture.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "chatdesk/ui/MenuBar.h"
#include "platform/appframe/CCmdUI.h"
#include "platform/win/Cursor.h"
#include "platform/win/WindowSurface.h"

using namespace win;
using namespace chatui;
using chattest::PumpFor;
using chattest::PumpUntil;

namespace {

constexpr UINT kMenuId = 931;
const MenuTemplateItem kMenu[] = {
    {0, MF_POPUP, 0, "文件(&F)"}, {1, MF_STRING, 201, "新建"},
    {0, MF_POPUP, 0, "编辑(&E)"}, {1, MF_STRING, 202, "复制"}, {1, MF_STRING, 203, "粘贴"},
    {0, MF_POPUP, 0, "帮助(&H)"}, {1, MF_STRING, 204, "关于"},
};

// The main window's part: it disables 粘贴 and takes the commands.
class CBarOwner : public CWnd {
public:
    std::vector<UINT> commands;

protected:
    void OnUpdatePaste(CCmdUI *ui) { ui->Enable(FALSE); }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back(LOWORD(static_cast<DWORD>(wParam)));
        return CWnd::OnCommand(wParam, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBarOwner, CWnd)
ON_UPDATE_COMMAND_UI(203, OnUpdatePaste)
END_MESSAGE_MAP()

// What the bar and its drop-down showed at one step.
struct Shown {
    int open;
    QString first; // the drop-down's first item
    QRect geometry;
    QImage bar;
};

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chatuitest::EnsureUi();
        ASSERT_TRUE(RegisterMenuResource(kMenuId, kMenu, int(std::size(kMenu))));
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "bar owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, 0, 0));
        ASSERT_TRUE(bar.Create(RECT{0, 0, 400, 22}, kMenuId, &owner, 3));
        PumpFor(30);
    }
    void TearDown() override
    {
        bar.DestroyWindow();
        owner.DestroyWindow();
    }
    // The centre of item i on the screen.
    QPoint Centre(int i)
    {
        CRect r = bar.ItemRect(i);
        bar.ClientToScreen(&r);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Runs the steps one per drop-down shown, each on the next drop-down that
    // opens, recording what was shown.
    void Script(std::vector<std::function<void(QMenu *)>> steps)
    {
        script = std::move(steps);
        done = 0;
        qApp->installEventFilter(&watcher);
    }
    void Step(QMenu *menu)
    {
        if (done >= script.size() || !menu->isVisible())
            return;
        QWidget *barWidget = WindowWidget(bar.m_hWnd);
        shown.push_back(Shown{bar.GetOpenItem(), menu->actions().value(0) ? menu->actions()[0]->text() : QString(),
                              menu->geometry(), barWidget ? barWidget->grab().toImage() : QImage()});
        script[done++](menu);
    }
    // Each drop-down is a new menu shown: its step runs once it is up.
    class ShowWatcher : public QObject {
    public:
        explicit ShowWatcher(MenuBarTest *test) : test_(test) {}
        ~ShowWatcher() override { qApp->removeEventFilter(this); }

    protected:
        bool eventFilter(QObject *watched, QEvent *e) override
        {
            auto *menu = qobject_cast<QMenu *>(watched);
            if (menu && e->type() == QEvent::Show) {
                QPointer<QMenu> guarded(menu);
                QTimer::singleShot(30, [this, guarded] {
                    if (guarded)
                        test_->Step(guarded);
                });
            }
            return false;
        }

    private:
        MenuBarTest *test_;
    };
    static void Key(QWidget *w, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    static void MoveTo(QWidget *w, QPoint global)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(w->mapFromGlobal(global)), QPointF(global), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    void ClickBar(int item)
    {
        const CRect r = bar.ItemRect(item);
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                        static_cast<LPARAM>(MAKELONG(WORD((r.left + r.right) / 2), WORD((r.top + r.bottom) / 2))));
        bar.SendMessage(WM_LBUTTONUP, 0,
                        static_cast<LPARAM>(MAKELONG(WORD((r.left + r.right) / 2), WORD((r.top + r.bottom) / 2))));
    }
    bool Settled() { return done >= script.size() && !QApplication::activePopupWidget() && bar.GetOpenItem() == -1; }
    static QRgb Fill(const QImage &image, const RECT &item) { return image.pixel(item.left + 3, 3) & 0xFFFFFF; }

    CBarOwner owner;
    CMenuBar bar;
    std::vector<std::function<void(QMenu *)>> script;
    size_t done = 0;
    ShowWatcher watcher{this};
    std::vector<Shown> shown;
};

constexpr QRgb Rgb(COLORREF c) { return (QRgb(GetRValue(c)) << 16) | (QRgb(GetGValue(c)) << 8) | GetBValue(c); }

TEST_F(MenuBarTest, ArrowsHoverAndEscMoveBetweenTheDropDowns)
{
    EXPECT_TRUE(CMenuBar::FilterInstalled());
    bool pasteEnabled = true;
    bool stillOnEdit = false;
    Script({
        // 文件: the right arrow, with the cursor resting over 文件 itself.
        [&](QMenu *m) {
            SetCursorPos(Centre(0).x(), Centre(0).y());
            Key(m, Qt::Key_Right);
        },
        // 编辑: the mouse "moving" where the arrow left it does not switch
        // back; moved over 帮助 it does.
        [&](QMenu *m) {
            for (QAction *a : m->actions())
                if (a->text() == QString::fromUtf16(u"粘贴"))
                    pasteEnabled = a->isEnabled();
            MoveTo(m, Centre(0));
            stillOnEdit = m->isVisible() && bar.GetOpenItem() == 1;
            MoveTo(m, Centre(2));
        },
        [&](QMenu *m) { Key(m, Qt::Key_Right); }, // 帮助 → 文件 (wraps)
        [&](QMenu *m) { Key(m, Qt::Key_Left); },  // 文件 → 帮助 (wraps)
        [&](QMenu *m) { Key(m, Qt::Key_Escape); },
    });
    ClickBar(0);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }, 10000));
    PumpFor(100);
    EXPECT_FALSE(QApplication::activePopupWidget()); // Esc opened nothing else
    ASSERT_EQ(shown.size(), 5u);
    const std::vector<int> opened = {shown[0].open, shown[1].open, shown[2].open, shown[3].open, shown[4].open};
    EXPECT_EQ(opened, (std::vector<int>{0, 1, 2, 0, 2}));
    EXPECT_EQ(shown[1].first, QString::fromUtf16(u"复制"));
    EXPECT_EQ(shown[2].first, QString::fromUtf16(u"关于"));
    EXPECT_FALSE(pasteEnabled);
    EXPECT_TRUE(stillOnEdit);
    // Each drop-down hangs from its button's lower left corner.
    for (const Shown &s : shown) {
        CRect r = bar.ItemRect(s.open);
        bar.ClientToScreen(&r);
        EXPECT_EQ(s.geometry.topLeft(), QPoint(r.left, r.bottom)) << s.open;
    }
    // The open item's button is pressed on the bar, the others are not.
    const QImage &image = shown[1].bar;
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(Fill(image, bar.ItemRect(1)), Rgb(kPressedFill));
    EXPECT_EQ(Fill(image, bar.ItemRect(0)), Rgb(kPaneBlue));
    EXPECT_EQ(Fill(image, bar.ItemRect(2)), Rgb(kPaneBlue));
    const QImage after = WindowWidget(bar.m_hWnd)->grab().toImage();
    EXPECT_EQ(Fill(after, bar.ItemRect(2)), Rgb(kPaneBlue));
}

TEST_F(MenuBarTest, AClickOnTheOpenButtonClosesItAndAChoiceReachesTheMainWindow)
{
    Script({
        [&](QMenu *) { ClickBar(1); },
        [&](QMenu *m) {
            for (QAction *a : m->actions())
                if (a->text() == QString::fromUtf16(u"关于"))
                    a->trigger();
            m->close();
        },
    });
    ClickBar(1);
    ASSERT_TRUE(PumpUntil([&] { return done == 1 && bar.GetOpenItem() == -1; }, 10000));
    PumpFor(150);
    EXPECT_FALSE(QApplication::activePopupWidget()); // closed, not opened again
    EXPECT_EQ(bar.GetOpenItem(), -1);
    // Through the mnemonic, 帮助's drop-down; its command goes on to the owner.
    EXPECT_TRUE(bar.OnMenuChar('h'));
    EXPECT_FALSE(bar.OnMenuChar('x'));
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, (std::vector<UINT>{204}));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].open, 2);
}

TEST_F(MenuBarTest, TheLastBarTakesTheFilterWithIt)
{
    {
        CMenuBar second;
        ASSERT_TRUE(second.Create(RECT{0, 30, 400, 52}, kMenuId, &owner, 4));
        EXPECT_EQ(CMenuBar::Bars().size(), 2u);
        second.DestroyWindow();
    }
    EXPECT_EQ(CMenuBar::Bars().size(), 1u);
    EXPECT_TRUE(CMenuBar::FilterInstalled());
    bar.DestroyWindow();
    EXPECT_TRUE(CMenuBar::Bars().empty());
    EXPECT_FALSE(CMenuBar::FilterInstalled());
    // A menu that does not exist: no window, no entry.
    CMenuBar missing;
    EXPECT_FALSE(missing.Create(RECT{0, 0, 10, 10}, 9999, &owner, 5));
    EXPECT_TRUE(CMenuBar::Bars().empty());
}

} // namespace
