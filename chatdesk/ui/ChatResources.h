// The chat program's resources: the dialog templates of the main window and its
// three panes, menu 177, strings 103 and 104, the pictures of the frame, panes,
// lists and buttons, the window icon and the notice sound "NOTIFY_WAVE" 178.
// Entered once at start, before any window is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/appframe/CDC.h"

namespace chatui {

void RegisterChatResources();

// Writes ".\MsgNtfy.wav" from the program's "NOTIFY_WAVE" resource 178; a
// failed write leaves no file behind. False when nothing was written.
bool ExtractNotifySound();

// The notice sound as a WAV file (a short two-tone chime, 8 kHz, 8-bit mono).
const std::vector<uint8_t> &NotifyWaveBytes();

// The size of the program's picture `id` ({0, 0} when it has none).
win::SIZE PictureSize(win::WORD id);

// Draws the program's picture `id` with its top left at (x, y), stretched to
// w x h (its own width or height where these are negative); with `transparent`
// its magenta is left out. Nothing when the picture does not exist.
void DrawPicture(win::CDC &dc, win::WORD id, int x, int y, int w = -1, int h = -1, bool transparent = false);

} // namespace chatui
