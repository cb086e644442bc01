// Shared by the tests of the list, tab and sheet controls: the test program's
// application, an event loop that runs until a condition holds, and a top-level
// framework window whose message map notes every WM_NOTIFY its controls send
// (and answers custom draw through a test's own handler) and every command.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/forms/WindowHost.h"
#include "tests/support/TestApplication.h"

namespace liststest {

inline win::TApplication &App() { return testsupport::TestApplication("test_platform_appframe"); }

inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    return testsupport::PumpUntil(App(), done, ms);
}

// One notification as the parent's map received it.
struct Note {
    win::UINT code;
    win::UINT_PTR id;
    int item;
    int subItem;
    win::UINT newState;
    win::UINT oldState;
    win::RECT rect;
};

// Its message map is defined once, in ListCtrlTest.cpp.
class NotifySink : public win::CWnd {
public:
    NotifySink()
    {
        App();
        CreateEx(0, nullptr, "lists", win::WS_OVERLAPPEDWINDOW | win::WS_VISIBLE, 0, 0, 420, 300, 0, 0);
    }
    // Notes of one code.
    std::vector<Note> Of(win::UINT code) const
    {
        std::vector<Note> out;
        for (const Note &n : notes)
            if (n.code == code)
                out.push_back(n);
        return out;
    }

    std::vector<Note> notes;
    // The commands (WM_COMMAND ids) received.
    std::vector<win::UINT> commands;
    // Answers NM_CUSTOMDRAW when set.
    std::function<win::LRESULT(win::NMLVCUSTOMDRAW &)> customDraw;
    // Answers TCN_SELCHANGING with TRUE (keep the current tab).
    bool refuseTabChange = false;
    // Called with each note as it arrives.
    std::function<void(const Note &)> onNote;

protected:
    void OnAnyCommand(win::UINT id) { commands.push_back(id); }
    void OnAnyNotify(win::UINT id, win::NMHDR *hdr, win::LRESULT *result)
    {
        if (hdr->code == win::NM_CUSTOMDRAW) {
            *result = customDraw ? customDraw(*reinterpret_cast<win::NMLVCUSTOMDRAW *>(hdr)) : 0;
            return;
        }
        Note n{hdr->code, id, -1, -1, 0, 0, {0, 0, 0, 0}};
        switch (hdr->code) {
        case win::LVN_ITEMCHANGED:
        case win::LVN_COLUMNCLICK: {
            auto *lv = reinterpret_cast<win::NMLISTVIEW *>(hdr);
            n.item = lv->iItem;
            n.subItem = lv->iSubItem;
            n.newState = lv->uNewState;
            n.oldState = lv->uOldState;
            break;
        }
        case win::TBN_DROPDOWN: {
            auto *tb = reinterpret_cast<win::NMTOOLBAR *>(hdr);
            n.item = tb->iItem;
            n.rect = tb->rcButton;
            break;
        }
        case win::NM_LDOWN:
            n.item = static_cast<int>(reinterpret_cast<win::NMMOUSE *>(hdr)->dwItemSpec);
            break;
        case win::NM_CLICK:
        case win::NM_DBLCLK: {
            auto *ia = reinterpret_cast<win::NMITEMACTIVATE *>(hdr);
            n.item = ia->iItem;
            n.subItem = ia->iSubItem;
            break;
        }
        default:
            break;
        }
        notes.push_back(n);
        if (onNote)
            onNote(n);
        *result = hdr->code == win::TCN_SELCHANGING && refuseTabChange ? win::TRUE : 0;
    }
    DECLARE_MESSAGE_MAP()
};

// A mouse message at (x, y) of a window, as the user's click makes it.
inline void Click(win::HWND hwnd, int x, int y, bool dbl = false, win::WPARAM keys = 0)
{
    win::LPARAM at = static_cast<win::LPARAM>(win::MAKELONG(static_cast<win::WORD>(x), static_cast<win::WORD>(y)));
    win::SendMessageA(hwnd, dbl ? win::WM_LBUTTONDBLCLK : win::WM_LBUTTONDOWN, keys | win::MK_LBUTTON, at);
    win::SendMessageA(hwnd, win::WM_LBUTTONUP, keys, at);
}

// A key pressed on a window with exactly the keys `held` down, as the user's
// typing delivers it.
inline void Key(win::HWND hwnd, win::WORD key, win::TShiftState held = win::TShiftState())
{
    win::InputState saved = win::CurrentInput();
    win::CurrentInput() = win::InputState{true, false, held};
    win::SendMessageA(hwnd, win::WM_KEYDOWN, key, 1);
    win::CurrentInput() = saved;
}

} // namespace liststest
