// The splitter dragged with posted mouse messages: it resizes the aligned
// control beside it, keeps MinSize, follows the neighbour's edge and fires
// OnMoved once the button is released.
#include <gtest/gtest.h>

#include "FormsFixture.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TSplitter.h"

using namespace win;
using formstest::PumpUntil;

namespace {

class SplitterTest : public formstest::ControlsOnForm {
protected:
    // Posts one mouse message to the splitter and waits until it was handled.
    void Post(UINT msg, WPARAM keys, int x, int y)
    {
        handled = false;
        splitter->OnMouseMove = [&](TObject *, TShiftState, int, int) { handled = true; };
        splitter->OnMouseDown = [&](TObject *, TMouseButton, TShiftState, int, int) { handled = true; };
        splitter->OnMouseUp = [&](TObject *, TMouseButton, TShiftState, int, int) { handled = true; };
        PostMessageA(splitter->Handle, msg, keys, MAKELONG(x, y));
        ASSERT_TRUE(PumpUntil([&] { return handled; }));
    }
    // Drags the splitter by `delta` pixels along its axis, the pointer staying
    // on the grabbed point of the bar.
    void DragBy(int delta, bool horizontal)
    {
        Post(WM_LBUTTONDOWN, MK_LBUTTON, 1, 1);
        int before = horizontal ? splitter->Left : splitter->Top;
        Post(WM_MOUSEMOVE, MK_LBUTTON, horizontal ? 1 + delta : 1, horizontal ? 1 : 1 + delta);
        int moved = (horizontal ? splitter->Left : splitter->Top) - before;
        Post(WM_LBUTTONUP, 0, horizontal ? 1 + delta - moved : 1, horizontal ? 1 : 1 + delta - moved);
    }
    TPanel *AddPanel(TAlign align, int size)
    {
        auto *p = Add<TPanel>();
        p->Align = align;
        if (align == alLeft || align == alRight)
            p->Width = size;
        else
            p->Height = size;
        return p;
    }
    TSplitter *splitter = nullptr;
    bool handled = false;
};

TEST_F(SplitterTest, DragResizesTheNeighbourKeepingMinSize)
{
    struct Case {
        TAlign align;
        int delta;
        int minSize;
        int expected;
    };
    const Case cases[] = {
        {alLeft, 25, 30, 105}, {alLeft, -60, 30, 30},  {alRight, -20, 30, 100},
        {alTop, 15, 30, 75},   {alBottom, 10, 20, 50}, {alBottom, -200, 30, 197},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.align));
        bool horizontal = c.align == alLeft || c.align == alRight;
        TPanel *neighbour = AddPanel(c.align, horizontal ? 80 : 60);
        splitter = Add<TSplitter>();
        splitter->Align = c.align;
        splitter->MinSize = c.minSize;
        if (!horizontal)
            splitter->Height = 3;
        if (c.align == alLeft)
            splitter->Left = neighbour->Left + neighbour->Width;
        else if (c.align == alTop)
            splitter->Top = neighbour->Top + neighbour->Height;
        form->AlignControls();
        TPanel *client = AddPanel(alClient, 0);
        int moves = 0;
        splitter->OnMoved = [&](TObject *) { ++moves; };
        form->Show();

        DragBy(c.delta, horizontal);
        EXPECT_EQ(horizontal ? neighbour->Width : neighbour->Height, c.expected);
        EXPECT_EQ(moves, 1);
        TRect n = neighbour->GetBoundsRect();
        TRect s = splitter->GetBoundsRect();
        switch (c.align) {
        case alLeft:
            EXPECT_EQ(s.Left, n.Right);
            EXPECT_EQ(client->Left, s.Right);
            break;
        case alRight:
            EXPECT_EQ(s.Right, n.Left);
            break;
        case alTop:
            EXPECT_EQ(s.Top, n.Bottom);
            EXPECT_EQ(client->Top, s.Bottom);
            break;
        default:
            EXPECT_EQ(s.Bottom, n.Top);
            break;
        }
        delete client;
        delete splitter;
        delete neighbour;
        splitter = nullptr;
    }
}

TEST_F(SplitterTest, MovesWithoutButtonOrNeighbourChangeNothing)
{
    TPanel *neighbour = AddPanel(alLeft, 80);
    splitter = Add<TSplitter>();
    splitter->Left = 80;
    form->AlignControls();
    int moves = 0;
    splitter->OnMoved = [&](TObject *) { ++moves; };
    form->Show();
    Post(WM_MOUSEMOVE, 0, 30, 1);
    EXPECT_EQ(neighbour->Width, 80);

    neighbour->Align = alNone;
    DragBy(20, true);
    EXPECT_EQ(neighbour->Width, 80);
    EXPECT_EQ(moves, 0);
}

} // namespace
