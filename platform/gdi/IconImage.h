// Inside the layer: the picture behind an icon handle, for the window and tray
// icons that Qt shows. Not for program code.
#pragma once

#include <QImage>

#include "platform/gdi/GdiTypes.h"
#include "platform/win/Window.h"

namespace win {

// The icon's picture (ARGB), or a null image for a handle that is not an icon.
QImage IconImage(HICON icon);

} // namespace win
