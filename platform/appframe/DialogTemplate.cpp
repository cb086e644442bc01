#include "platform/appframe/DialogTemplate.h"

#include <map>

#include "platform/gdi/Gdi.h"

namespace win {

namespace {

std::map<UINT, DialogTemplate> &Dialogs()
{
    static auto *dialogs = new std::map<UINT, DialogTemplate>;
    return *dialogs;
}

int MulDivRound(int v, int num, int den)
{
    long long p = static_cast<long long>(v) * num;
    return static_cast<int>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
}

} // namespace

BOOL RegisterDialogResource(UINT id, const DialogTemplate &dialog)
{
    if (dialog.count < 0 || (dialog.count > 0 && !dialog.items))
        return FALSE;
    Dialogs()[id] = dialog;
    return TRUE;
}

const DialogTemplate *FindDialogResource(UINT id)
{
    auto it = Dialogs().find(id);
    return it == Dialogs().end() ? nullptr : &it->second;
}

HFONT CreateDialogFont(const DialogTemplate &dialog)
{
    const char *face = dialog.fontFace ? dialog.fontFace : "宋体";
    int points = dialog.fontFace && dialog.pointSize ? dialog.pointSize : 9;
    return CreateFontA(-MulDivRound(points, 96, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

SIZE DialogBaseUnits(HFONT font)
{
    HDC dc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(dc, font);
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, letters, 52, &extent);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    SIZE base{(extent.cx / 26 + 1) / 2, tm.tmHeight};
    if (base.cx <= 0)
        base.cx = 1;
    if (base.cy <= 0)
        base.cy = 1;
    return base;
}

RECT MapDialogUnits(const RECT &du, SIZE base)
{
    return RECT{MulDivRound(du.left, base.cx, 4), MulDivRound(du.top, base.cy, 8), MulDivRound(du.right, base.cx, 4),
                MulDivRound(du.bottom, base.cy, 8)};
}

} // namespace win
