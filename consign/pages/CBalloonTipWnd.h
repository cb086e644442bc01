// A small pop-up shaped like a speech balloon (an ellipse with a pointed tail at
// its top-left corner) that tells the user something about a control: pressing
// a mouse button on a registered control shows it with the tail's tip at the
// mouse; the next key press, double click or tick of its 3-second timer hides it.
#pragma once

#include <map>

#include "platform/appframe/CGdiObject.h"
#include "platform/appframe/CWnd.h"

class CBalloonTipWnd : public win::CWnd {
public:
    CBalloonTipWnd();
    ~CBalloonTipWnd() override;

    // Creates the hidden pop-up owned by `parent` and starts its timer.
    win::BOOL Create(win::CWnd *parent);
    // Registers a control once (a later call for it changes nothing); a colour
    // of 0 takes the balloon's text colour.
    void AddTool(win::CWnd *control, win::LPCSTR text, win::COLORREF colour = 0);
    // The owning window's PreTranslateMessage hands every message here first.
    void RelayEvent(const win::MSG *message);
    // The balloon's fill and frame colours (a page may give its own).
    void SetBalloonColors(win::COLORREF background, win::COLORREF frame);

    struct Tool {
        win::HWND control;
        win::CString text;
        win::COLORREF colour;
    };

    win::CString m_strClass;
    win::HWND m_hCurrentControl = 0;
    win::CRgn m_rgnEllipse;
    win::CRgn m_rgnCombined;
    win::CRgn m_rgnTail;
    win::CRect m_TextRect;
    win::CFont m_Font;
    win::CString m_strText;
    win::COLORREF m_TextColour = 0;
    win::COLORREF m_BackgroundColour = win::RGB(249, 254, 188);
    win::COLORREF m_FrameColour = win::RGB(0, 0, 255);
    std::map<win::HWND, Tool> m_Tools;
    int m_nWidth = 100;
    int m_nHeight = 60;
    int m_nFontHeight = 14;
    win::CString m_strFontName = "Arial";
    win::HWND m_hParent = 0;

protected:
    int OnCreate(win::LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnTimer(win::UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    // The union of the tail and the ellipse in `target`; FALSE (after the
    // message box) when it cannot be made.
    bool CombineShape(win::CRgn &target);
};
