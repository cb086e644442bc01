// Activation of top-level windows: SetActiveWindow and GetActiveWindow, and the
// WM_MOUSEACTIVATE question a click on an inactive window asks first.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/TForm.h"
#include "platform/forms/TPanel.h"
#include "platform/win/Cursor.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "tests/platform/forms/FormsFixture.h"

using namespace win;
using formstest::App;
using formstest::LeftClick;
using formstest::PumpUntil;

namespace {

// A top-level form that answers WM_MOUSEACTIVATE with `answer` (0: the default
// handling) and keeps what it was asked.
class AskedForm : public TForm {
public:
    explicit AskedForm(TComponent *owner) : TForm(owner) {}
    void WndProc(TMessage &Message) override
    {
        if (Message.Msg == WM_MOUSEACTIVATE) {
            asked.push_back({Message.WParam, Message.LParam});
            if (answer) {
                Message.Result = answer;
                return;
            }
        }
        TForm::WndProc(Message);
    }
    LRESULT answer = 0;
    std::vector<std::pair<WPARAM, LPARAM>> asked;
};

class ActivationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        main = new TForm(&App());
        main->SetBounds(0, 0, 300, 200);
        box = new AskedForm(&App());
        box->BorderStyle = bsToolWindow;
        box->SetBounds(320, 0, 120, 100);
        panel = new TPanel(box);
        panel->Parent = box;
        panel->SetBounds(10, 10, 60, 40);
        panel->OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { ++panelDowns; };
        main->Show();
        box->Show();
    }
    void TearDown() override
    {
        delete box;
        delete main;
    }
    bool Activate(TForm *form)
    {
        SetActiveWindow(form->Handle);
        return PumpUntil([&] { return GetActiveWindow() == form->Handle; });
    }

    TForm *main = nullptr;
    AskedForm *box = nullptr;
    TPanel *panel = nullptr;
    int panelDowns = 0;
};

TEST_F(ActivationTest, SetActiveWindowActivatesTheTopLevelWindowAndGivesThePreviousOne)
{
    ASSERT_TRUE(Activate(main));
    // A child window activates its top-level window.
    EXPECT_EQ(SetActiveWindow(panel->Handle), main->Handle);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == box->Handle; }));
    EXPECT_EQ(SetActiveWindow(main->Handle), box->Handle);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == main->Handle; }));
    // No window: nothing changes.
    EXPECT_EQ(SetActiveWindow(HWND(0x7fff1234)), HWND(0));
    EXPECT_EQ(GetActiveWindow(), main->Handle);
}

TEST_F(ActivationTest, AClickOnAnInactiveWindowAsksWhetherItActivates)
{
    const LPARAM asked = MAKELONG(HTCLIENT, WM_LBUTTONDOWN);
    struct Case {
        LRESULT answer;
        bool activates;
        bool delivered;
    };
    // 0: the default handling activates.
    const Case cases[] = {{MA_NOACTIVATE, false, true},
                          {MA_NOACTIVATEANDEAT, false, false},
                          {MA_ACTIVATEANDEAT, true, false},
                          {0, true, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        ASSERT_TRUE(Activate(main));
        box->answer = c.answer;
        box->asked.clear();
        panelDowns = 0;
        // The click lands on the child; its default handling asks the form.
        LeftClick(panel->Widget(), QPoint(5, 5));
        ASSERT_EQ(box->asked.size(), 1u);
        EXPECT_EQ(box->asked[0].first, WPARAM(box->Handle));
        EXPECT_EQ(box->asked[0].second, asked);
        EXPECT_EQ(panelDowns, c.delivered ? 1 : 0);
        if (c.activates)
            EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == box->Handle; }));
        else
            EXPECT_FALSE(PumpUntil([&] { return GetActiveWindow() != main->Handle; }, 300));
    }
    // A click on the active window asks nothing.
    ASSERT_TRUE(Activate(box));
    box->asked.clear();
    LeftClick(panel->Widget(), QPoint(5, 5));
    EXPECT_TRUE(box->asked.empty());
}

} // namespace
