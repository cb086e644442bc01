// The pane command box: a strip of tiny buttons at a pane's top-right corner
// (maximise or restore, and the charts' scroll arrows); a click posts the
// button's page command. And the transparent overlay on which the page draws
// the guide line of a border drag.
#pragma once

#include "lumon/core/EWnd.h"
#include "platform/forms/TForm.h"

class TMultiViewChild;

class TMVCmdBox : public EWnd {
public:
    // Kinds: 0 close, 1 maximise, 2 restore, 3 and 4 splits, 5 and 6 scroll arrows.
    TMVCmdBox(TMultiViewChild *owner, const int *kinds, int count);
    ~TMVCmdBox() override;

    void MoveTo(int x, int y);
    // Renders the strip again and redraws the window.
    void Refresh();
    win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) override;

    // The page command of a button kind.
    static win::UINT Command(int kind);
    int StripWidth() const { return Count * 17 - 1; }

    TMultiViewChild *Owner;
    int Hover = -1;
    int Kinds[4] = {};
    int Count;
    int Tracking = 0;
    win::COLORREF Background = 0;
    win::COLORREF Normal = 0xFFBF7F;
    win::COLORREF Hot = 0x3F96FF;

private:
    void Render();
    // The button under x, or -1.
    int ButtonAt(int x) const;
    win::HDC m_StripDC = 0;
    win::HBITMAP m_Strip = 0;
    win::HGDIOBJ m_OldBitmap = 0;
};

class TTranspWnd : public win::TForm {
public:
    explicit TTranspWnd(win::TWinControl *owner);
    ~TTranspWnd() override;
    void WndProc(win::TMessage &Message) override;
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
};
