#include "consign/session/ui/CPadButton.h"

#include <vector>

#include "platform/appframe/CDC.h"
#include "platform/appframe/CGdiObject.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"

using namespace win;

PadKeySlot PadKeySlots[10] = {};

int PadSlotOfButton(int id)
{
    if (id >= 1163 && id <= 1171)
        return id - 1162;
    return id == 1172 ? 0 : -1;
}

namespace {

// The digits in a 5 x 7 grid, a row a string.
const char *const DigitGlyphs[10][7] = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
};
// The bitmap resource of each digit.
const int DigitBitmapIds[10] = {180, 170, 173, 174, 175, 176, 177, 178, 179, 172};

constexpr DWORD White = 0xFFFFFF;
constexpr DWORD Ink = 0x000000;

} // namespace

void RegisterPadBitmaps()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // 32 x 24, white (AND leaves the button face) with the digit in black, each
    // grid cell 3 x 3 pixels, centred.
    for (int d = 0; d < 10; ++d) {
        std::vector<DWORD> pixels(32 * 24, White);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (DigitGlyphs[d][row][col] == '#')
                    for (int y = 0; y < 3; ++y)
                        for (int x = 0; x < 3; ++x)
                            pixels[(2 + row * 3 + y) * 32 + 9 + col * 3 + x] = Ink;
        RegisterBitmapResource(MAKEINTRESOURCEA(DigitBitmapIds[d]), 32, 24, pixels.data());
    }
    // The keypad picture: a small key block in the 16 x 12 at (8, 6).
    std::vector<DWORD> pad(32 * 24, White);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool frame = y == 0 || y == 11 || x == 0 || x == 15;
            const bool key = (y == 3 || y == 6 || y == 9) && x % 3 != 0 && x < 14 && x > 1;
            if (frame || key)
                pad[(6 + y) * 32 + 8 + x] = Ink;
        }
    RegisterBitmapResource(MAKEINTRESOURCEA(181), 32, 24, pad.data());
}

void CPadButton::DrawItem(LPDRAWITEMSTRUCT item)
{
    CDC *dc = CDC::FromHandle(item->hDC);
    RECT r = item->rcItem;
    dc->DrawFrameControl(&r, DFC_BUTTON, DFCS_BUTTONPUSH | ((item->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    CRect inner(r);
    inner.InflateRect(-2, -2);
    const int id = static_cast<int>(item->CtlID);
    HBITMAP picture = 0;
    int srcX = 0, srcY = 0, srcW = 32, srcH = 24;
    bool owned = false;
    const int slot = PadSlotOfButton(id);
    if (slot >= 0) {
        picture = PadKeySlots[slot].bitmap;
    } else if (id == 1175 || id == 1217) {
        RegisterPadBitmaps();
        picture = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(181));
        owned = true;
        srcX = 8, srcY = 6, srcW = 16, srcH = 12;
    }
    if (!picture)
        return;
    CDC memory;
    memory.CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory.m_hDC, picture);
    dc->StretchBlt(inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top, &memory, srcX, srcY,
                   srcW, srcH, SRCAND);
    SelectObject(memory.m_hDC, old);
    if (owned)
        DeleteObject(picture);
}
