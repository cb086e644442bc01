// A small layout manager for resizable pages and dialogs: it remembers the
// window's initial client size and the initial rectangles of chosen controls,
// and moves and stretches those controls by fixed percentages of the change in
// size. Optionally it shows a size grip in the bottom-right corner.
#pragma once

#include "platform/appframe/CGdiObject.h"
#include "platform/appframe/CStatic.h"
#include "platform/appframe/CWnd.h"

class cdxCSizingManager;

// One managed control: the share (0 to 100) of the size change that each edge
// follows, and its rectangle when it was registered. Records form a doubly
// linked list, newest first; deleting one unlinks it.
class cdxCSizingPlacement {
public:
    cdxCSizingPlacement(cdxCSizingManager &owner, win::HWND control, win::BYTE left, win::BYTE right,
                        win::BYTE top, win::BYTE bottom, const win::RECT &initial);
    ~cdxCSizingPlacement();
    cdxCSizingPlacement(const cdxCSizingPlacement &) = delete;
    cdxCSizingPlacement &operator=(const cdxCSizingPlacement &) = delete;

    // Moves the control to its initial rectangle shifted by the percentages of
    // (dx, dy), without changing the z-order and without redrawing.
    void Place(int dx, int dy) const;
    // The rectangle the control takes for (dx, dy).
    win::CRect PlacedRect(int dx, int dy) const;

    cdxCSizingPlacement *m_pNext = nullptr;
    cdxCSizingPlacement *m_pPrev = nullptr;
    cdxCSizingManager &m_Owner;
    win::HWND m_hControl;
    win::BYTE m_Left, m_Right, m_Top, m_Bottom;
    win::CRect m_InitialRect;
};

class cdxCSizingManager {
public:
    enum { GROW_X = 1, GROW_Y = 2 };
    // Modes of AddControl, for each direction.
    enum { MODE_STRETCH = 1, MODE_MOVE = 2, MODE_CENTER = 3 };

    cdxCSizingManager(int flags, bool grip);
    ~cdxCSizingManager();
    cdxCSizingManager(const cdxCSizingManager &) = delete;
    cdxCSizingManager &operator=(const cdxCSizingManager &) = delete;

    // The window whose children are moved.
    void SetWindow(win::CWnd *window) { m_pWnd = window; }

    // Records the window's client and window sizes, makes the grip when asked
    // for, and widens the window by `growPercent` when it is not 0.
    win::BOOL Init(int growPercent);
    bool IsInitialized() const { return m_InitialClientWidth >= 0; }

    // Modes: 1 stretch (edges follow 0 % and 100 %), 2 move (100 %, 100 %),
    // 3 keep centred (50 %, 50 %), anything else fixed; the first share is for
    // the left (top) edge, the second for the right (bottom) edge.
    cdxCSizingPlacement *AddControl(win::CWnd *control, int horizontal, int vertical);
    // Refused (null) when the window or the control is not a window, before Init,
    // or when all four shares are 0. Places the control at once.
    cdxCSizingPlacement *AddControlPercent(win::CWnd *control, win::BYTE left, win::BYTE right, win::BYTE top,
                                           win::BYTE bottom);

    void OnSize(win::UINT type, int width, int height);
    // Places every control for the growth beyond the initial client size (a
    // smaller window counts as no growth) and redraws the window; TRUE when the
    // window is not smaller than its initial client size.
    win::BOOL Reposition(int width, int height);
    win::BOOL RepositionToClient();
    // The initial window size is the minimum tracking size; a direction the
    // window may not grow in is also limited to it.
    void GetMinMaxInfo(win::MINMAXINFO *info) const;
    // Moves each edge out by p / 50 of the window's size in the directions it may
    // grow in (the left and top not below 0), without activating or redrawing.
    void GrowWindow(int percent);

    // Deletes every placement record.
    void RemoveAll();

    cdxCSizingPlacement *m_pFirst = nullptr;
    win::CWnd *m_pWnd = nullptr;
    int m_InitialClientWidth = -1;
    int m_InitialClientHeight = 0;
    int m_InitialWindowWidth = 0;
    int m_InitialWindowHeight = 0;
    int m_Flags;
    win::CStatic m_Grip;
    win::CBitmap m_GripBitmap;
    bool m_bGrip;

private:
    bool CreateGrip();
};
