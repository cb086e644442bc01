// The program's dialog templates: C++ tables standing for dialog resources (the
// dialog's style, caption, size in dialog units and font, and one line per
// control: class name, id, rectangle in dialog units, style, extended style,
// text), entered under the dialog's resource id; and the mapping of dialog units
// to pixels from the dialog's font, as Windows computes it.
#pragma once

#include <cstddef>

#include "platform/appframe/AfxTypes.h"
#include "platform/gdi/GdiTypes.h"

namespace win {

struct DialogItemTemplate {
    LPCSTR className; // "Button", "Edit", "Static", "ComboBox", "ListBox", ...
    UINT id;
    short x;
    short y;
    short cx;
    short cy;
    DWORD style;      // WS_CHILD and WS_VISIBLE are implied, as in a resource
    DWORD exStyle;
    LPCSTR text;
    // TRUE for a control made hidden (a resource's NOT WS_VISIBLE).
    BOOL hidden = FALSE;
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    short x;
    short y;
    short cx; // client size in dialog units
    short cy;
    LPCSTR caption;
    LPCSTR fontFace;  // null: the default dialog font ("宋体" 9 points)
    WORD pointSize;
    // A static table that lives as long as the program.
    const DialogItemTemplate *items;
    int count;
};

// A template at the origin with the given style, client size and caption, in
// "宋体" 9 points, whose controls are the static table `items`.
template <size_t N>
DialogTemplate TableTemplate(DWORD style, short cx, short cy, LPCSTR caption, const DialogItemTemplate (&items)[N])
{
    return DialogTemplate{style, 0, 0, 0, cx, cy, caption, "宋体", 9, items, static_cast<int>(N)};
}

// Enters the template under `id` (replacing an earlier one); FALSE for a
// template without items pointer but with a count, or a negative count.
BOOL RegisterDialogResource(UINT id, const DialogTemplate &dialog);
// The template entered under `id`, or null.
const DialogTemplate *FindDialogResource(UINT id);

// The font of the template (a new font the caller deletes).
HFONT CreateDialogFont(const DialogTemplate &dialog);

// The base units of a font: the average width of its letters ((width of
// "A".."Z" "a".."z" / 26 + 1) / 2) and its character height; a dialog unit is a
// quarter of the first horizontally and an eighth of the second vertically.
SIZE DialogBaseUnits(HFONT font);
// Dialog units to pixels for those base units.
RECT MapDialogUnits(const RECT &dialogUnits, SIZE baseUnits);

} // namespace win
