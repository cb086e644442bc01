// Forms driven headless: posted input reaching standard and self-painted
// controls, the application hook inside modal loops, default and cancel
// buttons, close actions and scripted message boxes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "FormsFixture.h"
#include "platform/forms/TBitBtn.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCustomControl.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/KeyState.h"
#include "platform/forms/TForm.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/MessageBox.h"
#include "platform/win/MouseTracking.h"
#include "platform/win/Window.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

// A control that records what reaches its handlers and paints a filled square.
class Probe : public TCustomControl {
public:
    explicit Probe(TComponent *owner) : TCustomControl(owner) {}
    AnsiString ClassName() const override { return "Probe"; }
    void WndProc(TMessage &m) override
    {
        TCustomControl::WndProc(m);
        if (m.Msg == WM_SETCURSOR)
            cursorAsks.push_back(m.LParam);
        if (m.Msg == WM_MOUSELEAVE || m.Msg == WM_MOUSEHOVER)
            tracked.emplace_back(m.Msg, m.LParam);
        if (m.Msg == WM_GETDLGCODE && wantArrows)
            m.Result = DLGC_WANTARROWS;
    }
    bool wantArrows = false;
    std::vector<WORD> keys;
    std::vector<TPoint> downs;
    std::vector<LPARAM> cursorAsks;
    std::vector<std::pair<UINT, LPARAM>> tracked;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        Canvas->Brush->Color = clRed;
        Canvas->FillRect(TRect(0, 0, 10, 10));
    }
    void KeyDown(WORD &Key, TShiftState Shift) override { keys.push_back(Key); }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override { downs.push_back(TPoint(X, Y)); }
};

struct TestForm : TForm {
    explicit TestForm(TComponent *owner) : TForm(owner)
    {
        Edit = new TEdit(this);
        Edit->Parent = this;
        Edit->SetBounds(10, 10, 120, 22);
        Other = new Probe(this);
        Other->Parent = this;
        Other->SetBounds(10, 40, 60, 30);
        // The dialog-button kind gives the default role and the modal result.
        Ok = new TBitBtn(this);
        Ok->Parent = this;
        Ok->Caption = "确定";
        Ok->Kind = bkOK;
        Ok->SetBounds(10, 80, 75, 25);
        No = new TButton(this);
        No->Parent = this;
        No->Caption = "取消";
        No->Cancel = true;
        No->ModalResult = mrCancel;
        No->SetBounds(90, 80, 75, 25);
    }
    TEdit *Edit;
    Probe *Other;
    TBitBtn *Ok;
    TButton *No;
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new TestForm(&App());
        form->Show();
    }
    void TearDown() override
    {
        App().OnMessage = nullptr;
        delete form;
    }
    TestForm *form = nullptr;
};

TEST_F(FormTest, PostedCharactersLandInTheEdit)
{
    HWND edit = form->Edit->Handle;
    for (unsigned char c : std::string("ab中文"))
        PostMessageA(edit, WM_CHAR, c, 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Edit->Text == AnsiString("ab中文"); }));
    PostMessageA(edit, WM_CHAR, '\b', 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Edit->Text == AnsiString("ab中"); }));
}

// A queued key-down types its character, as the message loop's translation
// would; keys that edit (Backspace) act once, and Ctrl keys type nothing.
TEST_F(FormTest, PostedKeyDownsTypeTheirCharacters)
{
    HWND edit = form->Edit->Handle;
    form->Edit->Text = "";
    const WORD keys[] = {'A', '7', VK_SPACE, VK_OEM_PERIOD, VK_NUMPAD3, VK_SUBTRACT};
    for (WORD k : keys)
        PostMessageA(edit, WM_KEYDOWN, k, 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Edit->Text == AnsiString("a7 .3-"); }))
        << AnsiString(form->Edit->Text).c_str();
    PostMessageA(edit, WM_KEYDOWN, VK_BACK, 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Edit->Text == AnsiString("a7 .3"); }));
    SetTestKeyDown(VK_SHIFT, true);
    PostMessageA(edit, WM_KEYDOWN, 'B', 1);
    PostMessageA(edit, WM_KEYDOWN, '1', 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Edit->Text == AnsiString("a7 .3B!"); }))
        << AnsiString(form->Edit->Text).c_str();
    SetTestKeyDown(VK_SHIFT, false);
    // The held keys count when the key is served, as GetKeyState tells them.
    SetTestKeyDown(VK_CONTROL, true);
    PostMessageA(edit, WM_KEYDOWN, 'C', 1);
    PumpUntil([] { return false; }, 200);
    SetTestKeyDown(VK_CONTROL, false);
    PostMessageA(edit, WM_KEYDOWN, 'E', 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Edit->Text == AnsiString("a7 .3B!e"); }))
        << AnsiString(form->Edit->Text).c_str();
}

TEST_F(FormTest, KeyHandlersSeeTheKeyAndTheHookCanDropIt)
{
    std::vector<UINT> hooked;
    App().OnMessage = [&](MSG &msg, bool &handled) {
        hooked.push_back(msg.message);
        handled = msg.message == WM_KEYDOWN && msg.wParam == VK_F5;
    };
    form->Other->wantArrows = true;
    PostMessageA(form->Other->Handle, WM_KEYDOWN, VK_F5, 1);
    PostMessageA(form->Other->Handle, WM_KEYDOWN, VK_LEFT, 1);
    ASSERT_TRUE(PumpUntil([&] { return form->Other->keys.size() == 1; }));
    EXPECT_EQ(form->Other->keys[0], VK_LEFT);
    EXPECT_EQ(hooked, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN}));
}

TEST_F(FormTest, ArrowsMoveTheFocusUnlessTheControlAsksForThem)
{
    form->Other->wantArrows = false;
    form->Other->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_TRUE(form->Other->keys.empty());
    form->Other->wantArrows = true;
    form->Other->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(form->Other->keys, std::vector<WORD>{VK_RIGHT});
}

TEST_F(FormTest, PostedMouseCarriesClientCoordinates)
{
    PostMessageA(form->Other->Handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(7, 12));
    ASSERT_TRUE(PumpUntil([&] { return !form->Other->downs.empty(); }));
    EXPECT_EQ(form->Other->downs[0], TPoint(7, 12));
}

TEST_F(FormTest, MouseInputAsksForTheCursorAndStaysInsideTheClip)
{
    QWidget *widget = form->Other->Widget();
    QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    auto press = [&](QPoint local) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(local), QPointF(origin + local), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &e);
    };
    int formDowns = 0;
    form->OnMouseDown = [&](TObject *, TMouseButton, TShiftState, int, int) { ++formDowns; };
    press(QPoint(40, 20));
    // The control's press is not the form's too.
    EXPECT_EQ(formDowns, 0);
    ASSERT_EQ(form->Other->downs.size(), 1u);
    EXPECT_EQ(form->Other->downs[0], TPoint(40, 20));
    ASSERT_EQ(form->Other->cursorAsks.size(), 1u);
    EXPECT_EQ(form->Other->cursorAsks[0], MAKELONG(HTCLIENT, WM_LBUTTONDOWN));

    // A press outside the clip rectangle lands on its nearest point inside.
    RECT clip{origin.x() + 2, origin.y() + 3, origin.x() + 20, origin.y() + 25};
    ClipCursor(&clip);
    press(QPoint(40, 28));
    press(QPoint(0, 10));
    ClipCursor(nullptr);
    ASSERT_EQ(form->Other->downs.size(), 3u);
    EXPECT_EQ(form->Other->downs[1], TPoint(19, 24));
    EXPECT_EQ(form->Other->downs[2], TPoint(2, 10));
}

TEST_F(FormTest, TrackedMouseLeavesAndHoversAreReportedOnce)
{
    Probe *probe = form->Other;
    QWidget *widget = probe->Widget();
    auto move = [&](QWidget *w, QPoint local) {
        QMouseEvent e(QEvent::MouseMove, QPointF(local), QPointF(w->mapToGlobal(local)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    auto track = [&](DWORD flags, DWORD hoverMs = HOVER_DEFAULT) {
        TRACKMOUSEEVENT tme{sizeof tme, flags, probe->Handle, hoverMs};
        return TrackMouseEvent(&tme);
    };
    using Seen = std::vector<std::pair<UINT, LPARAM>>;

    // Asked while the pointer is elsewhere: the leave comes at once.
    ASSERT_TRUE(track(TME_LEAVE));
    ASSERT_TRUE(PumpUntil([&] { return probe->tracked.size() == 1; }));
    EXPECT_EQ(probe->tracked, (Seen{{WM_MOUSELEAVE, 0}}));
    probe->tracked.clear();

    // Over the window: the hover comes once where the pointer rests, the leave
    // when the pointer goes.
    move(widget, QPoint(5, 6));
    ASSERT_TRUE(track(TME_LEAVE | TME_HOVER, 20));
    move(widget, QPoint(30, 20));
    ASSERT_TRUE(PumpUntil([&] { return probe->tracked.size() == 1; }));
    EXPECT_EQ(probe->tracked, (Seen{{WM_MOUSEHOVER, MAKELONG(30, 20)}}));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
    QCoreApplication::sendEvent(widget, &leave);
    ASSERT_TRUE(PumpUntil([&] { return probe->tracked.size() == 2; }));
    EXPECT_EQ(probe->tracked.back(), std::make_pair(WM_MOUSELEAVE, LPARAM(0)));

    // Moving into another window is leaving this one; a cancelled request
    // brings nothing.
    probe->tracked.clear();
    move(widget, QPoint(5, 6));
    ASSERT_TRUE(track(TME_LEAVE));
    move(form->Widget(), QPoint(300, 150));
    ASSERT_TRUE(PumpUntil([&] { return probe->tracked.size() == 1; }));
    move(widget, QPoint(5, 6));
    ASSERT_TRUE(track(TME_LEAVE));
    ASSERT_TRUE(track(TME_LEAVE | TME_CANCEL));
    QCoreApplication::sendEvent(widget, &leave);
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, probe->Handle, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.dwFlags, 0u);
    TRACKMOUSEEVENT wrong{0, TME_LEAVE, probe->Handle, 0};
    EXPECT_FALSE(TrackMouseEvent(&wrong));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(PumpUntil([&] { return probe->tracked.size() > 1; }, 50));
    EXPECT_EQ(probe->tracked.size(), 1u);
}

TEST_F(FormTest, PaintsThroughWmPaintAndDrawsOutsidePaint)
{
    ASSERT_TRUE(PumpUntil([&] { return form->Other->paints > 0; }));
    HDC dc = GetDC(form->Other->Handle);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
    form->Other->Canvas->Brush->Color = clBlue;
    form->Other->Canvas->FillRect(TRect(20, 0, 30, 10));
    EXPECT_EQ(GetPixel(dc, 25, 5), RGB(0, 0, 255));
    ReleaseDC(form->Other->Handle, dc);
}

TEST_F(FormTest, EnterAndEscClickTheDefaultAndCancelButtons)
{
    int clicks = 0;
    form->Ok->OnClick = [&](TObject *sender) {
        EXPECT_EQ(sender, form->Ok);
        ++clicks;
    };
    PostMessageA(form->Edit->Handle, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    EXPECT_EQ(form->ModalResult, mrOk);

    // Modal: Esc in the edit ends the loop with the cancel button's result.
    PostMessageA(form->Edit->Handle, WM_KEYDOWN, VK_ESCAPE, 1);
    form->Hide();
    EXPECT_EQ(form->ShowModal(), mrCancel);
    PostMessageA(form->Edit->Handle, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(form->ShowModal(), mrOk);
}

TEST_F(FormTest, TheHookSeesInputInsideAModalLoop)
{
    auto *dialog = new TestForm(&App());
    bool seen = false;
    App().OnMessage = [&](MSG &msg, bool &handled) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F11) {
            seen = true;
            handled = true;
            dialog->ModalResult = mrYes;
        }
    };
    PostMessageA(dialog->Edit->Handle, WM_KEYDOWN, VK_F11, 1);
    EXPECT_EQ(dialog->ShowModal(), mrYes);
    EXPECT_TRUE(seen);
    delete dialog;
}

TEST_F(FormTest, CloseRunsQueryThenTheCloseAction)
{
    auto *dialog = new TestForm(&App());
    bool allow = false;
    bool destroyed = false;
    dialog->OnCloseQuery = [&](TObject *, bool &canClose) { canClose = allow; };
    dialog->OnClose = [](TObject *, TCloseAction &action) { action = caFree; };
    dialog->OnDestroy = [&](TObject *) { destroyed = true; };
    dialog->Show();
    dialog->Close();
    EXPECT_TRUE(dialog->Visible);
    allow = true;
    PostMessageA(dialog->Handle, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST_F(FormTest, ScriptedAnswersReachTheCaller)
{
    RecordMessageBoxes(true);
    ScriptMessageBoxAnswers({IDNO, IDYES});
    EXPECT_EQ(App().MessageBox("删除吗?", "提示", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(App().MessageBox("删除吗?", "提示", MB_YESNO | MB_ICONQUESTION), IDYES);
    auto shown = ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "提示");
    RecordMessageBoxes(false);
}

TEST_F(FormTest, ClassNamesAndOwnership)
{
    EXPECT_EQ(form->ClassName(), AnsiString("TForm"));
    EXPECT_EQ(form->Edit->ClassName(), AnsiString("TEdit"));
    EXPECT_EQ(form->Ok->ClassName(), AnsiString("TBitBtn"));
    EXPECT_EQ(form->No->ClassName(), AnsiString("TButton"));
    EXPECT_EQ(form->ControlCount(), 4);
    EXPECT_EQ(GetParent(form->Edit->Handle), form->Handle);
}

} // namespace
