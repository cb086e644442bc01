// Bitmaps and icons compiled into the programs: each program registers its pictures
// under their resource names at start-up, and LoadBitmapA, LoadIconA and LoadImageA
// hand out objects made from them; also the system bitmaps the programs use.
#pragma once

#include <cstddef>

#include "platform/gdi/GdiTypes.h"
#include "platform/win/Cursor.h"

namespace win {

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

// The system's size-grip bitmap (LoadBitmapA with instance 0).
constexpr WORD OBM_SIZE = 32766;

// Enters the picture of bitmap `name`: `pixels` holds width × height 0x00RRGGBB
// values, rows from the top. FALSE for an empty name or size, or no pixels.
BOOL RegisterBitmapResource(LPCSTR name, int width, int height, const DWORD *pixels);
// The same from the bytes of a picture file (PNG, BMP or another format Qt reads);
// FALSE when they are no picture.
BOOL RegisterBitmapResource(LPCSTR name, const void *image, size_t size);
// Enters icon `name` from the bytes of a picture file, transparent where the
// picture is.
BOOL RegisterIconResource(LPCSTR name, const void *image, size_t size);

// A new bitmap holding a copy of the program's bitmap `name` (any instance but 0),
// or of the system bitmap OBM_SIZE (instance 0); DeleteObject frees it. 0 with
// ERROR_RESOURCE_NAME_NOT_FOUND when there is none.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);
// The program's icon `name` (any instance but 0). Icons are shared: one handle per
// name and size, however often it is loaded.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// A bitmap (new, as LoadBitmapA), an icon (shared, as LoadIconA) or a cursor (as
// LoadCursorA). Bitmaps and icons are scaled to cx × cy where those are not 0.
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
// The icons are shared, so this keeps them; FALSE for a handle that is no icon.
BOOL DestroyIcon(HICON icon);

inline HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name)
{
    return LoadBitmapA(instance, name);
}
inline HICON LoadIcon(HINSTANCE instance, LPCSTR name)
{
    return LoadIconA(instance, name);
}
inline HANDLE LoadImage(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    return LoadImageA(instance, name, type, cx, cy, flags);
}

} // namespace win
