// The chat program's resources: the dialog templates of the main window and its
// three panes, menu 177, strings 103 and 104, the pictures of the frame, panes,
// lists and buttons, the window icon and the notice sound "NOTIFY_WAVE" 178.
// Entered once at start, before any window is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chatui {

void RegisterChatResources();

// Writes ".\MsgNtfy.wav" from the program's "NOTIFY_WAVE" resource 178; a
// failed write leaves no file behind. False when nothing was written.
bool ExtractNotifySound();

// The notice sound as a WAV file (a short two-tone chime, 8 kHz, 8-bit mono).
const std::vector<uint8_t> &NotifyWaveBytes();

} // namespace chatui
