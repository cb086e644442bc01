// Inside the framework: the list view window ("SysListView32") in report view.
// It keeps columns (alignment, width, display order) and rows (texts, data,
// state), paints itself with the header, grid lines, selection and scroll bars,
// asks its parent for item colours by custom draw, takes the mouse and keys, and
// tells its parent of clicks, column clicks and state changes by WM_NOTIFY.
#pragma once

#include <string>
#include <vector>

#include "platform/appframe/CommCtrl.h"

namespace win {

template <typename T>
class ControlWindows;

class ListView {
public:
    // Registers the window class; idempotent.
    static void Register();

private:
    struct Column {
        std::string text;
        int fmt = LVCFMT_LEFT;
        int width = 0;
    };
    struct Item {
        std::vector<std::string> texts;
        LPARAM data = 0;
        UINT state = 0;
    };
    enum class Drag { None, HeaderPress, HeaderMove, Resize, Thumb };

    explicit ListView(HWND hwnd);
    friend class ControlWindows<ListView>;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    // Geometry.
    int LineHeight() const;
    int HeaderHeight() const;
    int RowHeight() const;
    int TotalWidth() const;
    RECT BodyRect() const;
    int VisibleRows() const;
    void Layout();
    int ColumnLeft(int column) const;
    int ColumnAtX(int x) const;
    int PositionOf(int column) const;
    int ItemAtY(int y) const;
    RECT ItemRect(int item) const;
    RECT VScrollRect() const;
    RECT HScrollRect() const;

    // Painting.
    void Paint();
    bool PaintItem(HDC dc, int item, LRESULT stage);
    void PaintCell(HDC dc, int item, int column, const RECT &cell, COLORREF text, COLORREF back, bool selected);
    void PaintHeader(HDC dc);
    void PaintScrollBars(HDC dc);
    LRESULT CustomDraw(HDC dc, DWORD stage, const RECT &rc, int item, int subItem, COLORREF &text, COLORREF &back);

    // Items and state.
    int InsertColumn(int index, const LVCOLUMNA &col);
    int InsertItem(const LVITEMA &item);
    bool SetItem(const LVITEMA &item);
    bool GetItem(LVITEMA &item) const;
    bool DeleteItem(int index);
    void DeleteAllItems();
    void SetState(int item, UINT state, UINT mask);
    void ApplyStates(const std::vector<UINT> &next);
    void SelectOnly(int item);
    void SelectRange(int from, int to);
    int NextItem(int start, UINT flags) const;
    bool SetColumnOrder(int count, const int *order);
    void SortItems(PFNLVCOMPARE compare, LPARAM param);
    int FindItem(int start, const LVFINDINFOA &find) const;
    void EnsureVisible(int item);
    void ScrollTo(int top, int x);
    int HitTest(LVHITTESTINFO &info, bool sub) const;
    int AutoWidth(int column, bool header) const;

    // Input.
    void MouseDown(int x, int y, WPARAM keys, bool dbl);
    void MouseMove(int x, int y);
    void MouseUp(int x, int y);
    void KeyDown(WORD key);
    bool ScrollBarClick(int x, int y);
    void NotifyItem(UINT code, int item, int subItem, POINT pt);

    HWND hwnd_;
    HFONT font_ = 0;
    // The font's line height, measured when first needed.
    mutable int lineHeight_ = 0;
    DWORD exStyle_ = 0;
    std::vector<Column> columns_;
    std::vector<int> order_;
    std::vector<Item> items_;
    int top_ = 0;
    int xOffset_ = 0;
    int mark_ = -1;
    bool vScroll_ = false;
    bool hScroll_ = false;
    bool focused_ = false;
    COLORREF bkColor_ = CLR_DEFAULT;
    COLORREF textColor_ = CLR_DEFAULT;
    COLORREF textBkColor_ = CLR_DEFAULT;
    Drag drag_ = Drag::None;
    int dragColumn_ = -1;
    int dragStartX_ = 0;
    int dragX_ = 0;
    int thumbGrab_ = 0;
    bool cursorSized_ = false;
};

} // namespace win
